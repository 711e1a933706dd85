// What a new user sees under each window manager and at each DPI: the head where it is put,
// cut to its outline, above windows mapped later, looking, dragged, stored and found again.

#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdio>

#include "running_lookout.h"

using namespace std::chrono_literals;

namespace {

struct Desktop {
    const char* manager; // "" for none
    int dpi;
};

// An ordinary application window over the whole screen.
Window MapCover(Display* display)
{
    Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1024, 768, 0, 0, 0xC00000);
    XSizeHints hints{};
    hints.flags = USPosition | USSize; // where it is asked for (twm)
    XSetWMNormalHints(display, cover, &hints);
    XMapRaised(display, cover);
    XSync(display, False);
    return cover;
}

class Desktops : public ::testing::TestWithParam<Desktop>, protected HeadScale {
protected:
    Desktops() : HeadScale{GetParam().dpi / 96.0} {}
};

// Every shortfall of a desktop is reported in one run: the case stops only where nothing after could be checked.
TEST_P(Desktops, TheHeadIsWhereItIsPutCutAboveOthersLookingAndComesBackThereEveryTime)
{
    const bool noManager = !*GetParam().manager, mutter = GetParam().manager == std::string("mutter");
    VirtualScreen screen(1024, 768, GetParam().manager);
    Display* display = screen.Connection();
    const std::string xrdb = "echo Xft.dpi: " + std::to_string(GetParam().dpi) + " | xrdb -nocpp -display " + screen.Name();
    ASSERT_TRUE(GetParam().dpi == 96 || std::system(xrdb.c_str()) == 0);
    TempFolder folder;
    auto program = InstallLookout(folder.Path());
    const int width = Scaled(184), height = Scaled(280), firstLeft = (1024 - width) / 2;
    // The window's place and a pixel beyond each side but the top: a frame would show there.
    auto aroundHead = [&] { return screen.Pixels(firstLeft - 1, 0, width + 2, height + 1); };
    // Managers paint their desktop a while after they start.
    std::vector<unsigned> desktop;
    int unchanged = 0;
    EXPECT_TRUE(Eventually([&] {
        auto now = aroundHead();
        unchanged = now == desktop ? unchanged + 1 : 0;
        desktop = now;
        return unchanged == 50;
    }, 20s)) << "the desktop never settled";

    auto lookout = std::make_unique<RunningLookout>(screen, program);
    EXPECT_EQ(lookout->Position(), std::make_pair(firstLeft, 0));
    EXPECT_EQ(lookout->Size(), std::make_pair(width, height));

    // Outside the outline, beside it and below it the desktop as it was: no frame, border or
    // shadow (but mutter's, whose compositor casts one around every window).
    ExpectCutToOutline(screen, *lookout, Scale(), [&](unsigned pixel, int x, int y) {
        return mutter || pixel == desktop[y * (width + 2) + x + 1];
    });
    const unsigned forehead = lookout->PixelAt(In(91), In(100));

    Window cover = MapCover(display);
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(183), In(150)) != desktop[In(150) * (width + 2) + In(183) + 1]; }))
        << "the cover never showed";
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(91), In(100)) == forehead; })) << "covered";
    XRaiseWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(91), In(100)) == forehead; })) << "covered when raised";
    EXPECT_LE(RestacksOver(display, {lookout->TheWindow()}, 1s), 2) << "fights the manager";

    // A press beside the head reaches the window under it; without a manager, neither the
    // right nor the middle button drags.
    Drag(screen, *lookout, 1, In(2, 250), {100, 100});
    if (noManager) {
        Drag(screen, *lookout, 3, In(91, 60), {100, 100});
        Drag(screen, *lookout, 2, In(91, 60), {100, 100});
    }
    screen.MovePointer(1000, In(eyeY));
    EXPECT_TRUE(Eventually([&] {
        return lookout->PixelAt(In(leftEyeX + 9), In(eyeY)) == black && lookout->PixelAt(In(leftEyeX - 9), In(eyeY)) == eyeGreen;
    })) << "not looking right";

    // A left drag moves it by the pointer's distance (without a manager, with NumLock on); pressed
    // on the forehead, a tick during the drag turns the pupils up to the pointer.
    XkbLockModifiers(display, XkbUseCoreKbd, Mod2Mask, noManager ? Mod2Mask : 0);
    const std::pair<int, int> dragged{firstLeft + 100, 50};
    Drag(screen, *lookout, 1, In(91, 60), {100, 50}, [&] {
        EXPECT_TRUE(Eventually([&] {
            return lookout->PixelAt(In(leftEyeX + 9), In(eyeY)) == eyeGreen &&
                   lookout->PixelAt(In(leftEyeX + 2), In(eyeY - 9)) == black;
        })) << "no tick during the drag";
    });
    EXPECT_TRUE(Eventually([&] { return lookout->Position() == dragged; }));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "lookout.ini")) << "written before the double-click";

    // The place in twips: whole where a pixel is a whole number of twips, else as near as a float holds it.
    const int dpi = GetParam().dpi;
    auto twips = [&](int pixels) { return std::to_string(pixels * 1440 / dpi); };
    const std::string stored = "[Tarvex Blinkmor]\nTop=" + twips(dragged.second) + "\nLeft=" + twips(dragged.first) + "\n";
    auto expectStored = [&](int round) {
        std::string text = FileBytes(folder.Path() / "lookout.ini");
        if ((dragged.first * 1440) % dpi == 0 && (dragged.second * 1440) % dpi == 0) {
            EXPECT_EQ(text, stored) << "round " << round;
            return;
        }
        double top = 0, left = 0;
        int end = 0;
        std::sscanf(text.c_str(), "[Tarvex Blinkmor]\nTop=%lf\nLeft=%lf\n%n", &top, &left, &end);
        EXPECT_EQ(end, static_cast<int>(text.size())) << text;
        EXPECT_NEAR(top * dpi / 1440, dragged.second, 1e-3) << text;
        EXPECT_NEAR(left * dpi / 1440, dragged.first, 1e-3) << text;
    };
    for (int round = 1; round <= 2; ++round) { // a new file, then one rewritten
        DoubleClick(screen, *lookout, In(91, 100));
        ASSERT_EQ(lookout->WaitForExit(3s), 0) << "round " << round;
        expectStored(round);
        lookout = std::make_unique<RunningLookout>(screen, program);
        EXPECT_EQ(lookout->Position(), dragged) << "round " << round;
        EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(91), In(100)) == forehead; })) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagersAndDpis, Desktops,
                         ::testing::Values(Desktop{"", 96}, Desktop{"", 144}, Desktop{"", 168}, Desktop{"", 192},
                                           Desktop{"openbox", 96},
                                           Desktop{"xfwm4", 96}, Desktop{"kwin_x11", 96}, Desktop{"mutter", 96},
                                           Desktop{"i3", 96}, Desktop{"awesome", 96}, Desktop{"fluxbox", 96},
                                           Desktop{"bspwm", 96}, Desktop{"twm", 96}),
                         [](const auto& info) {
                             return std::string(*info.param.manager ? info.param.manager : "none") + "_" +
                                    std::to_string(info.param.dpi) + "dpi";
                         });

} // namespace
