// Errors of the X connection: those about other clients' windows, which may be gone, end nothing.

#include <gtest/gtest.h>

#include "test_form.h"

namespace {

// The error may come back within the very request or later, after another.
TEST(Display, AskingAboutAWindowThatIsGoneEndsNothing)
{
    ConnectToTestScreen();
    Display* other = SharedScreen().Connection();
    Window gone = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(other, gone);
    XSync(other, False);
    RequestsAboutOthersWindows([&] {
        XWindowAttributes attributes;
        EXPECT_FALSE(XGetWindowAttributes(TheDisplay(), gone, &attributes));
        XMapWindow(TheDisplay(), gone); // an error that comes back later
    });
    XSync(TheDisplay(), False);
}

} // namespace
