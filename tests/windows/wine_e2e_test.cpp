// lookout.exe under Wine at each display scaling, as a user meets it: its size in inches, crisp
// and cut to its outline, looking at the pointer, dragged, storing its place beside the exe on a
// double-click, back there, and alone. Needs wine and a WINEPREFIX, whose DPI it sets for each
// case. Wine never moves a window to another DPI itself: one case runs lookout with its
// monitor's scaling changed as it shows (dpi_change_probe.exe, LOOKOUT_DPI_PROBE).

#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>

#include "running_lookout.h"

using namespace std::chrono_literals;

namespace {

constexpr unsigned rootWhite = 0xFFFFFF;

struct WineDesktop {
    const char* manager; // "" for none
    int dpi;             // the system's (LogPixels): positions in twips count its pixels
    int monitorDpi;      // the window's: the system's, or the one its monitor changes to as it shows
};

// Global, so that a run stopped from outside (a time limit, Ctrl-C) still takes it down on the way out.
std::unique_ptr<VirtualScreen> screen;

// Wine reads the DPI from the prefix's registry as each process starts; its server and
// desktop process start anew on each case's screen.
int UseWineDpi(int dpi)
{
    std::string command = "wineserver -k 2>/dev/null; wineserver -w; DISPLAY=" + screen->Name() +
                          " wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d " +
                          std::to_string(dpi) + " /f >/dev/null 2>&1";
    return std::system(command.c_str());
}

class WineDesktops : public ::testing::TestWithParam<WineDesktop>, protected HeadScale {
protected:
    WineDesktops() : HeadScale{GetParam().monitorDpi / 96.0} {}
};

TEST_P(WineDesktops, TheHeadHasItsSizeInInchesIsCutLooksIsDraggedComesBackWhereItWasStoredAndRunsAlone)
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, [](int caught) { std::exit(128 + caught); });
    const WineDesktop desktop = GetParam();
    const int screenWidth = 1024 * desktop.dpi / 96; // a screen of 1024 by 768 logical pixels
    screen = std::make_unique<VirtualScreen>(screenWidth, 768 * desktop.dpi / 96, desktop.manager);
    ASSERT_EQ(UseWineDpi(desktop.dpi), 0);
    TempFolder folder;
    const bool probe = desktop.monitorDpi != desktop.dpi;
    auto program = InstallLookout(folder.Path() / "My Apps", "Look Out.exe", probe ? LOOKOUT_DPI_PROBE : LOOKOUT_EXECUTABLE);
    std::vector<std::string> wine{"env", "LOOKOUT_MONITOR_DPI=" + std::to_string(desktop.monitorDpi), "wine"};
    const std::pair<int, int> size{Scaled(184), Scaled(280)};
    // Centred at the top, as created at the system's DPI.
    const int firstLeft = (screenWidth - 184 * desktop.dpi / 96) / 2;
    screen->MovePointer(0, In(eyeY)); // far left; the old pupils must go when they turn right
    auto lookout = std::make_unique<RunningLookout>(*screen, program, true, wine);
    EXPECT_TRUE(Eventually([&] { return lookout->Size() == size; })) << lookout->Size().first;
    EXPECT_EQ(lookout->Position(), std::make_pair(firstLeft, 0));
    // Under a window manager Wine may paint the eyes first: wait for the forehead.
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(91), In(100)) != rootWhite; }));

    ExpectCutToOutline(*screen, *lookout, Scale(), [](unsigned pixel, int, int) { return pixel == rootWhite; });

    // The middle and the length of the black run across or down through a window position, inside an eye's disc.
    auto blackRun = [&](int x, int y, bool across) {
        auto [left, top] = lookout->Position();
        int reach = Scaled(11);
        auto line = across ? screen->Pixels(left + x - reach, top + y, 2 * reach + 1, 1)
                           : screen->Pixels(left + x, top + y - reach, 1, 2 * reach + 1);
        auto from = std::find(line.begin(), line.end(), black) - line.begin();
        auto to = line.rend() - std::find(line.rbegin(), line.rend(), black) - 1;
        return std::pair{(across ? x : y) - reach + (from + to) / 2.0, to - from + 1};
    };
    // Each pupil 5 logical pixels from its eye's centre towards the pointer (-1 left, 1 right), 7 in radius, round.
    auto pupilsLook = [&](int leftEyeSide, int rightEyeSide) {
        const double length = 14 * Scale() + 1;
        for (auto [eyeX, side] : {std::pair{leftEyeX, leftEyeSide}, std::pair{rightEyeX, rightEyeSide}}) {
            double x = (eyeX + 5 * side) * Scale(), y = eyeY * Scale();
            auto [across, acrossLength] = blackRun(Scaled(eyeX), Scaled(eyeY), true);
            auto [down, downLength] = blackRun(static_cast<int>(std::lround(x)), Scaled(eyeY), false);
            if (std::abs(across - x) > 1 || std::abs(down - y) > 1 || std::abs(acrossLength - length) > 2 ||
                std::abs(downLength - length) > 2)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(Eventually([&] { return pupilsLook(-1, -1); })) << "not looking left";
    screen->MovePointer(screenWidth - 1, In(eyeY));
    EXPECT_TRUE(Eventually([&] { return pupilsLook(1, 1); })) << "not looking right";
    // Between the eyes the pointer's place in logical pixels must meet the window's.
    screen->MovePointer(firstLeft + In(91), In(eyeY));
    EXPECT_TRUE(Eventually([&] { return pupilsLook(1, -1); })) << "not looking at each other";

    // Only the left button drags, by the pointer's distance in the screen's pixels.
    Drag(*screen, *lookout, 3, In(91, 60), {100, 100});
    Drag(*screen, *lookout, 2, In(91, 60), {100, 100});
    Drag(*screen, *lookout, 1, In(91, 60), {100, 50});
    const std::pair<int, int> dragged{firstLeft + 100, 50};
    EXPECT_TRUE(Eventually([&] { return lookout->Position() == dragged; }));
    DoubleClick(*screen, *lookout, In(91, 60));
    EXPECT_EQ(lookout->WaitForExit(3s), 0);
    // The place in inches: twips of the system's pixels.
    auto twips = [&](int pixels) { return std::to_string(pixels * 1440 / desktop.dpi); };
    EXPECT_EQ(FileBytes(folder.Path() / "My Apps" / "Look Out.ini"),
              "[Tarvex Blinkmor]\r\nTop=" + twips(dragged.second) + "\r\nLeft=" + twips(dragged.first) + "\r\n");

    lookout = std::make_unique<RunningLookout>(*screen, program, true, wine);
    EXPECT_TRUE(Eventually([&] { return lookout->Size() == size; }));
    EXPECT_EQ(lookout->Position(), dragged);
    RunningLookout copy(*screen, program, false, wine);
    EXPECT_EQ(copy.WaitForExit(2s), 0); // Wine's own start included
    EXPECT_TRUE(lookout->Running());
    lookout.reset();
    screen.reset();
}

INSTANTIATE_TEST_SUITE_P(DisplayScalings, WineDesktops,
                         ::testing::Values(WineDesktop{"", 96, 96}, WineDesktop{"", 144, 144}, WineDesktop{"", 192, 192},
                                           WineDesktop{"openbox", 96, 96}, WineDesktop{"", 96, 144}),
                         [](const auto& info) {
                             return std::string(*info.param.manager ? info.param.manager : "none") + "_" +
                                    std::to_string(info.param.dpi) + "dpi_window_" + std::to_string(info.param.monitorDpi);
                         });

// A panel at the top of the screen, as a desktop publishes it (_NET_WORKAREA, which Wine takes for
// the primary monitor's work area as its desktop process starts): the head starts below it.
TEST(WineWorkArea, TheFirstPlaceIsBelowAPanelAtTheTop)
{
    screen = std::make_unique<VirtualScreen>(1024, 768);
    Display* display = screen->Connection();
    long area[] = {0, 32, 1024, 736};
    XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_WORKAREA", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<unsigned char*>(area), 4);
    XSync(display, False);
    ASSERT_EQ(UseWineDpi(96), 0);
    TempFolder folder;
    {
        RunningLookout lookout(*screen, InstallLookout(folder.Path(), "lookout.exe"), true, {"wine"});
        EXPECT_EQ(lookout.Position(), std::make_pair(420, 32));
    }
    screen.reset();
}

} // namespace
