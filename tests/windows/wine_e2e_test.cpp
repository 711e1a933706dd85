// lookout.exe under Wine at each display scaling, as a user meets it: its size in inches, crisp
// and cut to its outline, shown without taking the keyboard focus, looking at the pointer,
// dragged, kept running by presses that are no double-click, storing its place beside the exe
// on a double-click, back there, and alone. Needs wine and a WINEPREFIX, whose settings it
// makes for each case. Wine never moves a window to another DPI itself: cases with a monitor
// DPI of their own run dpi_change_probe.exe (LOOKOUT_DPI_PROBE), which sends the change as
// the head shows, as start-up places it, or in the middle of a drag.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "running_lookout.h"

using namespace std::chrono_literals;

namespace {

constexpr unsigned rootWhite = 0xFFFFFF;
// Set in the prefix unlike Windows' own (500 ms, 4 by 4): the program must ask the system.
constexpr auto doubleClickTime = 900ms;
constexpr int doubleClickBox = 12;

struct WineDesktop {
    const char* manager; // "" for none
    int dpi;             // the system's (LogPixels): positions in twips count its pixels
    int monitorDpi;      // the window's: the system's, or the one its monitor changes to
    const char* change = ""; // when it changes (dpi_change_probe.cpp): shown, placed or dragged
};

// Global, so that a run stopped from outside (a time limit, Ctrl-C) still takes it down on the way out.
std::unique_ptr<VirtualScreen> screen;

// The prefix's settings for a case. Wine 10 takes the DPI from its desktop process, which
// outlives the programs of a server: the server is stopped before, and waited for after, so
// that lookout starts a server and a desktop that read the settings anew.
int UseWineSettings(int dpi, const std::filesystem::path& folder)
{
    const auto file = folder / "settings.reg";
    std::ofstream(file) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:"
                        << std::hex << dpi << std::dec << "\n\n[HKEY_CURRENT_USER\\Control Panel\\Mouse]\n"
                        << "\"DoubleClickSpeed\"=\"" << doubleClickTime.count() << "\"\n\"DoubleClickWidth\"=\""
                        << doubleClickBox << "\"\n\"DoubleClickHeight\"=\"" << doubleClickBox << "\"\n";
    std::string command = "wineserver -k 2>/dev/null; wineserver -w; DISPLAY=" + screen->Name() + " wine reg import '" +
                          file.string() + "' >/dev/null 2>&1 && wineserver -w";
    return std::system(command.c_str());
}

// A window of the test's own that has the keyboard focus, as a user's editor has it: white like
// the desktop, and covering it.
class FocusedWindow {
public:
    explicit FocusedWindow(Display* display) : display_(display)
    {
        window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, DisplayWidth(display, 0),
                                      DisplayHeight(display, 0), 0, 0, WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, window_);
        XSync(display, False);
        EXPECT_TRUE(Eventually([&] {
            XWindowAttributes state{};
            XGetWindowAttributes(display, window_, &state);
            if (state.map_state == IsViewable)
                XSetInputFocus(display, window_, RevertToParent, CurrentTime);
            return HasFocus();
        })) << "the test's window has no focus";
    }
    ~FocusedWindow() { XDestroyWindow(display_, window_); XSync(display_, False); }
    bool HasFocus() const
    {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        return focus == window_;
    }

private:
    Display* display_;
    Window window_ = 0;
};

// A position stored in twips of the system's pixels, written as the shortest decimal of a float.
std::string Twips(int pixels, int dpi)
{
    char text[32];
    float twips = static_cast<float>(pixels * (1440.0 / dpi));
    return std::string(text, std::to_chars(text, text + sizeof text, twips, std::chars_format::fixed).ptr);
}

class WineDesktops : public ::testing::TestWithParam<WineDesktop>, protected HeadScale {
protected:
    WineDesktops() : HeadScale{FirstDpi() / 96.0} {}
    // The DPI the head shows at from the start: the system's, or the monitor's where it changes before a drag.
    static int FirstDpi()
    {
        const WineDesktop& desktop = GetParam();
        return *desktop.change && desktop.change != std::string("dragged") ? desktop.monitorDpi : desktop.dpi;
    }
};

// Wine 10's X11 shape of the window is one pixel wider than the window's region at the end of
// the short stretch that the picture's one split row (row 6) ends with; Wine 8's is exact. Until
// that is understood the outline is not checked there, and the case says so.
bool ShapeCheckable()
{
    std::unique_ptr<FILE, int (*)(FILE*)> version(popen("wine --version", "r"), pclose);
    int major = 0;
    return !version || std::fscanf(version.get(), "wine-%d", &major) != 1 || major < 10;
}

TEST_P(WineDesktops, TheHeadHasItsSizeInInchesIsCutLooksIsDraggedComesBackWhereItWasStoredAndRunsAlone)
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, [](int caught) { std::exit(128 + caught); });
    const WineDesktop desktop = GetParam();
    const int screenWidth = 1024 * desktop.dpi / 96; // a screen of 1024 by 768 logical pixels
    screen = std::make_unique<VirtualScreen>(screenWidth, 768 * desktop.dpi / 96, desktop.manager);
    TempFolder folder;
    ASSERT_EQ(UseWineSettings(desktop.dpi, folder.Path()), 0);
    const bool probe = *desktop.change;
    auto program = InstallLookout(folder.Path() / "My Apps", "Look Out.exe", probe ? LOOKOUT_DPI_PROBE : LOOKOUT_EXECUTABLE);
    std::vector<std::string> wine{"env", "LOOKOUT_MONITOR_DPI=" + std::to_string(desktop.monitorDpi),
                                  "LOOKOUT_DPI_CHANGE=" + std::string(desktop.change), "wine"};
    auto size = [&] { return std::pair{Scaled(184), Scaled(280)}; };
    // Centred at the top, as created at the system's DPI.
    const int firstLeft = (screenWidth - 184 * desktop.dpi / 96) / 2;
    screen->MovePointer(0, In(eyeY)); // far left; the old pupils must go when they turn right
    auto focused = std::make_unique<FocusedWindow>(screen->Connection());
    auto lookout = std::make_unique<RunningLookout>(*screen, program, true, wine);
    EXPECT_TRUE(Eventually([&] { return lookout->Size() == size(); })) << lookout->Size().first;
    EXPECT_EQ(lookout->Position(), std::make_pair(firstLeft, 0));
    // Under a window manager Wine may paint the eyes first: wait for the forehead, shown above the focused window.
    EXPECT_TRUE(Eventually([&] { return lookout->PixelAt(In(91), In(100)) != rootWhite; }));
    EXPECT_TRUE(focused->HasFocus()) << "lookout took the keyboard focus";
    focused.reset();

    const bool shapeCheckable = ShapeCheckable();
    if (shapeCheckable)
        ExpectCutToOutline(*screen, *lookout, Scale(), [](unsigned pixel, int, int) { return pixel == rootWhite; });

    // The middle and the length of the black run across or down through a window position, inside an eye's disc.
    auto blackRun = [&](int x, int y, bool across) {
        auto [left, top] = lookout->Position();
        int reach = Scaled(12); // the eye's radius: a pupil at its edge ends there
        auto line = across ? screen->Pixels(left + x - reach, top + y, 2 * reach + 1, 1)
                           : screen->Pixels(left + x, top + y - reach, 1, 2 * reach + 1);
        auto from = std::find(line.begin(), line.end(), black) - line.begin();
        auto to = line.rend() - std::find(line.rbegin(), line.rend(), black) - 1;
        return std::pair{(across ? x : y) - reach + (from + to) / 2.0, to - from + 1};
    };
    // Each pupil 5 logical pixels from its eye's centre towards the pointer (-1 left, 1 right), 7 in radius, round.
    std::string seen; // the last pupil that was not so
    auto pupilsLook = [&](int leftEyeSide, int rightEyeSide) {
        const double length = 14 * Scale() + 1;
        for (auto [eyeX, side] : {std::pair{leftEyeX, leftEyeSide}, std::pair{rightEyeX, rightEyeSide}}) {
            double x = (eyeX + 5 * side) * Scale(), y = eyeY * Scale();
            auto [across, acrossLength] = blackRun(Scaled(eyeX), Scaled(eyeY), true);
            auto [down, downLength] = blackRun(static_cast<int>(std::lround(x)), Scaled(eyeY), false);
            if (std::abs(across - x) > 1 || std::abs(down - y) > 1 || std::abs(acrossLength - length) > 2 ||
                std::abs(downLength - length) > 2) {
                seen = "the pupil of the eye at " + std::to_string(eyeX) + " is " + std::to_string(acrossLength) +
                       " pixels across about " + std::to_string(across) + " and " + std::to_string(downLength) +
                       " down about " + std::to_string(down) + ", not " + std::to_string(length) + " about " +
                       std::to_string(x) + ", " + std::to_string(y);
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(Eventually([&] { return pupilsLook(-1, -1); })) << "not looking left: " << seen;
    screen->MovePointer(screenWidth - 1, In(eyeY));
    EXPECT_TRUE(Eventually([&] { return pupilsLook(1, 1); })) << "not looking right: " << seen;
    // Between the eyes the pointer's place in logical pixels must meet the window's.
    screen->MovePointer(firstLeft + In(91), In(eyeY));
    EXPECT_TRUE(Eventually([&] { return pupilsLook(1, -1); })) << "not looking at each other: " << seen;

    // Only the left button drags, by the pointer's distance in the screen's pixels; a change of
    // DPI in the middle of it leaves the head where the pointer takes it.
    Drag(*screen, *lookout, 3, In(91, 60), {100, 100});
    Drag(*screen, *lookout, 2, In(91, 60), {100, 100});
    Drag(*screen, *lookout, 1, In(91, 60), {100, 50}, [&] {
        if (desktop.change == std::string("dragged")) {
            factor = desktop.monitorDpi / 96.0;
            EXPECT_TRUE(Eventually([&] { return lookout->Size() == size(); })) << "no new size while dragged";
        }
    });
    const std::pair<int, int> dragged{firstLeft + 100, 50};
    EXPECT_TRUE(Eventually([&] { return lookout->Position() == dragged; }));
    if (desktop.change == std::string("dragged") && shapeCheckable)
        ExpectCutToOutline(*screen, *lookout, Scale(), [](unsigned pixel, int, int) { return pixel == rootWhite; });

    // Presses too far apart in time or place, by the system's settings, are no double-click.
    TwoPresses(*screen, *lookout, In(91, 60), doubleClickTime + 300ms, 0);
    TwoPresses(*screen, *lookout, In(91, 100), 100ms, doubleClickBox / 2 + 1);
    EXPECT_FALSE(lookout->WaitForExit(1s)) << "two presses that are no double-click ended lookout";
    // A double-click by the same settings, slower and wider than Windows' own (500 ms, 4 by 4
    // pixels); under a window manager a quick one, as openbox with Wine 10 let no slow one through.
    if (*desktop.manager)
        DoubleClick(*screen, *lookout, In(91, 150));
    else
        TwoPresses(*screen, *lookout, In(91, 150), doubleClickTime - 250ms, doubleClickBox / 2 - 1);
    EXPECT_EQ(lookout->WaitForExit(3s), 0);
    EXPECT_EQ(FileBytes(folder.Path() / "My Apps" / "Look Out.ini"), "[Tarvex Blinkmor]\r\nTop=" +
              Twips(dragged.second, desktop.dpi) + "\r\nLeft=" + Twips(dragged.first, desktop.dpi) + "\r\n");

    // Back at the stored place, at the DPI it is shown at from the start.
    factor = FirstDpi() / 96.0;
    lookout = std::make_unique<RunningLookout>(*screen, program, true, wine);
    EXPECT_TRUE(Eventually([&] { return lookout->Size() == size(); }));
    EXPECT_EQ(lookout->Position(), dragged);
    RunningLookout copy(*screen, program, false, wine);
    EXPECT_EQ(copy.WaitForExit(10s), 0); // Wine's own start included
    EXPECT_TRUE(lookout->Running());
    lookout.reset();
    screen.reset();
    if (!shapeCheckable)
        GTEST_SKIP() << "all but the outline checked: Wine 10 shapes the window one pixel wider at the end of row 6";
}

INSTANTIATE_TEST_SUITE_P(DisplayScalings, WineDesktops,
                         ::testing::Values(WineDesktop{"", 96, 96}, WineDesktop{"", 144, 144}, WineDesktop{"", 168, 168},
                                           WineDesktop{"", 192, 192},
                                           WineDesktop{"openbox", 96, 96}, WineDesktop{"", 96, 144, "shown"},
                                           WineDesktop{"", 144, 96, "placed"}, WineDesktop{"", 96, 192, "dragged"}),
                         [](const auto& info) {
                             const WineDesktop& desktop = info.param;
                             return std::string(*desktop.manager ? desktop.manager : "none") + "_" +
                                    std::to_string(desktop.dpi) + "dpi" +
                                    (*desktop.change ? "_" + std::to_string(desktop.monitorDpi) + "dpi_when_" + desktop.change : "");
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
    TempFolder folder;
    ASSERT_EQ(UseWineSettings(96, folder.Path()), 0);
    {
        RunningLookout lookout(*screen, InstallLookout(folder.Path(), "lookout.exe"), true, {"wine"});
        EXPECT_EQ(lookout.Position(), std::make_pair(420, 32));
    }
    screen.reset();
}

} // namespace
