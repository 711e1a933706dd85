// Keeping above without a window manager: two heads, ordinary windows, and windows a head must stay under.

#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <algorithm>
#include <vector>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

// Mapped on top, or right under another window.
Window MapWindow(Display* display, bool overrideRedirect, bool keptAbove, Window under = 0)
{
    XSetWindowAttributes attributes{};
    attributes.override_redirect = overrideRedirect;
    Window window = XCreateWindow(display, DefaultRootWindow(display), 300, 0, 400, 400, 0, CopyFromParent,
                                  InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    if (keptAbove) {
        Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&above), 1);
    }
    XWindowChanges changes{};
    changes.sibling = under;
    changes.stack_mode = Below;
    if (under)
        XConfigureWindow(display, window, CWSibling | CWStackMode, &changes);
    under ? XMapWindow(display, window) : XMapRaised(display, window);
    XSync(display, False);
    return window;
}

TEST(Stacking, TwoHeadsStayAboveOrdinaryWindowsWithoutFightingAndUnderMenusAndKeptAboveOnes)
{
    VirtualScreen screen;
    Display* display = screen.Connection();
    Window ordinary = MapWindow(display, false, false);
    Window locker = MapWindow(display, true, false); // there before the heads start
    TempFolder folder;
    RunningLookout first(screen, InstallLookout(folder.Path() / "one"));
    RunningLookout second(screen, InstallLookout(folder.Path() / "two"));
    Window heads[] = {first.TheWindow(), second.TheWindow()};
    auto headsBetween = [&](Window lower, Window upper) { // upper 0: no window, above all
        return IsAbove(display, heads[0], lower) && IsAbove(display, heads[1], lower) &&
               IsAbove(display, upper, heads[0]) && IsAbove(display, upper, heads[1]);
    };
    EXPECT_TRUE(headsBetween(ordinary, locker));
    XDestroyWindow(display, locker);

    XRaiseWindow(display, ordinary);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return headsBetween(ordinary, 0); }));
    // Once above, neither raises itself over the other again and again.
    EXPECT_LE(RestacksOver(display, {heads[0], heads[1]}, 1s), 2);

    for (bool overrideRedirect : {true, false}) { // a menu, or a window kept above
        Window menu = MapWindow(display, overrideRedirect, !overrideRedirect);
        // Under the menu but over the heads: they climb above it, and no further.
        Window later = MapWindow(display, false, false, menu);
        EXPECT_TRUE(Eventually([&] { return headsBetween(later, menu); })) << overrideRedirect;
        XDestroyWindow(display, later);
        XDestroyWindow(display, menu);
    }
}

TEST(Stacking, ADraggedHeadComesOutOnTopAndGivesWayToAWindowThatRaisesItselfWhenCovered)
{
    VirtualScreen screen;
    Display* display = screen.Connection();
    TempFolder folder;
    RunningLookout head(screen, InstallLookout(folder.Path()));
    // Mapped after the head, beside it: above it in the stack, but covering nothing of it.
    Window beside = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 400, 500, 368, 0, 0, 0);
    XSelectInput(display, beside, VisibilityChangeMask);
    XMapRaised(display, beside);
    XSync(display, False);
    ASSERT_TRUE(IsAbove(display, beside, head.TheWindow()));
    Drag(screen, head, 1, {91, 100}, {-300, 400});
    EXPECT_TRUE(Eventually([&] { return IsAbove(display, head.TheWindow(), beside); }));

    // Raising itself whenever it is covered, as the head is over it: a war the head must not keep up.
    int raises = CountEvents(display, 2s, [&](const XEvent& event) {
        bool covered = event.type == VisibilityNotify && event.xvisibility.state != VisibilityUnobscured;
        if (covered)
            XRaiseWindow(display, beside);
        return covered;
    });
    EXPECT_LT(raises, 10);
    EXPECT_TRUE(IsAbove(display, beside, head.TheWindow()));
}

} // namespace
