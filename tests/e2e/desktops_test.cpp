// What a new user sees under each window manager: the head exactly where it is put,
// unframed, above windows mapped later, looking, dragged, stored and found again.

#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned black = 0, eyeGreen = 0x80FF80;
constexpr int eyeY = 162;

// An ordinary application window that asks for the whole screen.
Window MapCover(Display* display)
{
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0xC00000;
    Window cover = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1024, 768, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWBackPixel, &attributes);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    XSetWMNormalHints(display, cover, &hints);
    XMapRaised(display, cover);
    XSync(display, False);
    return cover;
}

std::pair<int, int> Size(Display* display, Window window)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    return {attributes.width, attributes.height};
}

class Desktop : public ::testing::TestWithParam<const char*> {};

TEST_P(Desktop, TheHeadIsWhereItIsPutAboveOthersAndComesBackThereEveryTime)
{
    VirtualScreen screen(1024, 768, GetParam());
    Display* display = screen.Connection();
    TempFolder folder;
    auto program = InstallLookout(folder.Path());
    // Beside the window and in its corner that the outline cuts away: a frame, border or
    // title bar would show there.
    const std::pair<int, int> around[] = {{-1, 150}, {184, 150}, {91, 280}, {183, 150}, {2, 250}};
    auto [firstLeft, firstTop] = std::make_pair(420, 0);
    auto desktopAround = [&](int left, int top) {
        std::vector<unsigned> pixels;
        for (auto [x, y] : around)
            pixels.push_back(screen.ScreenPixel(left + x, top + y));
        return pixels;
    };
    // Managers paint their desktop a while after they start.
    std::vector<unsigned> desktop = desktopAround(firstLeft, firstTop);
    for (int unchanged = 0; unchanged < 5; Pause(100ms)) {
        std::vector<unsigned> now = desktopAround(firstLeft, firstTop);
        unchanged = now == desktop ? unchanged + 1 : 0;
        desktop = now;
    }

    auto lookout = std::make_unique<RunningLookout>(screen, program);
    ASSERT_EQ(lookout->Position(), std::make_pair(firstLeft, firstTop));
    EXPECT_EQ(Size(display, lookout->TheWindow()), std::make_pair(184, 280));
    // Mutter's compositor casts a shadow around every window, as it did around the head
    // when a manager framed it; nothing else may show there.
    if (std::string(GetParam()) != "mutter") {
        EXPECT_TRUE(Eventually([&] { return desktopAround(firstLeft, firstTop) == desktop; })) << "framed";
    }
    unsigned forehead = lookout->PixelAt(91, 100);

    Window cover = MapCover(display);
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(183, 150) != desktop[3]; })) << "the cover never showed";
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(91, 100) == forehead; })) << "covered";
    XRaiseWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(91, 100) == forehead; })) << "covered when raised";
    EXPECT_LE(RestacksOver(display, {lookout->TheWindow()}, 1s), 2) << "fights the manager";

    screen.MovePointer(1000, eyeY);
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(39 + 9, eyeY) == black; })) << "not looking right";
    EXPECT_EQ(lookout->PixelAt(39 - 9, eyeY), eyeGreen);

    screen.MovePointer(firstLeft + 91, firstTop + 100);
    screen.Button(1, true);
    for (int step = 1; step <= 5; ++step) {
        screen.MovePointer(firstLeft + 91 + 20 * step, firstTop + 100 + 10 * step);
        Pause(20ms);
    }
    const std::pair<int, int> dragged{firstLeft + 100, firstTop + 50};
    EXPECT_TRUE(Eventually([&] { return lookout->Position() == dragged; }));
    screen.Button(1, false);
    Pause(600ms); // past the double-click time: the next press starts one of its own

    for (int round = 1; round <= 5; ++round) {
        DoubleClick(screen, *lookout);
        ASSERT_EQ(lookout->WaitForExit(3s), 0) << "round " << round;
        EXPECT_EQ(FileBytes(folder.Path() / "lookout.ini"), "[Tarvex Blinkmor]\nTop=750\nLeft=7800\n")
            << "round " << round;
        lookout = std::make_unique<RunningLookout>(screen, program);
        EXPECT_EQ(lookout->Position(), dragged) << "round " << round;
        EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(91, 100) == forehead; })) << "round " << round;
    }
    XDestroyWindow(display, cover);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, Desktop,
                         ::testing::Values("", "openbox", "xfwm4", "kwin_x11", "mutter", "i3", "awesome", "fluxbox",
                                           "bspwm", "twm"),
                         [](const auto& info) { return *info.param ? std::string(info.param) : std::string("none"); });

} // namespace
