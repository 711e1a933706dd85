// Keeping the head above ordinary windows, in the program's own process: a cover raised
// again before the head has read of its own step above it.

#include <gtest/gtest.h>

#include <memory>

#include "fLookout.h"
#include "test_form.h"
#include "x11_form.h"

namespace {

TEST(Stacking, TheHeadStepsAboveACoverRaisedAgainRightAfterItsStep)
{
    ConnectToTestScreen();
    auto head = std::make_unique<fLookout>();
    head->Left(200 * 15);
    head->Top(100 * 15);
    head->Show();
    Display* other = SharedScreen().Connection();
    Window window = FormOfHandle(head->hWnd())->window;
    Window cover = XCreateSimpleWindow(other, DefaultRootWindow(other), 200, 100, 300, 300, 0, 0, 0);
    // What the other client did reaches the head in one batch, and the head's answer the server.
    auto oneBatch = [&] {
        XSync(other, False);
        XSync(TheDisplay(), False);
        DoEvents();
        XSync(TheDisplay(), False);
    };
    XMapRaised(other, cover);
    oneBatch();
    ASSERT_TRUE(IsAbove(other, window, cover));
    XRaiseWindow(other, cover);
    oneBatch();
    EXPECT_TRUE(IsAbove(other, window, cover));
    XDestroyWindow(other, cover);
    XSync(other, False);
    DoEvents();
}

} // namespace
