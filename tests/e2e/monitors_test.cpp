// Monitors on Xorg's dummy driver, split by RandR: the primary one is the program's screen and
// its corner the origin, followed while lookout runs, and a head left on no monitor comes back;
// the first place is at the top of the primary monitor's work area, and the pointer counted from
// the same corner.

#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <cstdlib>
#include <optional>
#include <unistd.h>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;
using Place = std::pair<int, int>;

// Runs xrandr steps on the screen; false at the first that fails.
bool Xrandr(const VirtualScreen& screen, const std::vector<std::string>& steps)
{
    for (const std::string& step : steps)
        if (std::system(("xrandr -display " + screen.Name() + " " + step + " >/dev/null 2>&1").c_str()) != 0) {
            ADD_FAILURE() << "xrandr " << step;
            return false;
        }
    return true;
}

const std::string leftPrimary = "--setmonitor '*LEFTM' 1024/270x768/203+0+0 DUMMY0";
const std::string right = "--setmonitor RIGHTM 1024/270x768/203+1024+0 none";
const std::vector<std::string> twoMonitors = {leftPrimary, right};
const std::vector<std::string> oneMonitor = {"--output DUMMY0 --mode 1024x768 --fb 1024x768"};
// As a laptop's external monitor is unplugged: the monitor goes, the screen shrinks.
const std::vector<std::string> unplugRight = {"--delmonitor RIGHTM", oneMonitor[0]};
// A change of monitors alone sends no event: a change of the output's primary flag does.
const std::string outputChanged = "--output DUMMY0 --noprimary";
// The right one the primary.
const std::vector<std::string> rightPrimary = {"--setmonitor left 1024/270x768/203+0+0 DUMMY0",
                                               "--setmonitor '*right' 1024/270x768/203+1024+0 none"};

// A change of the monitors while lookout runs: where the head is before and after, and what a
// double-click then stores ("" where the head is out of reach).
struct MonitorChange {
    const char* name;
    std::vector<std::string> layout;
    std::string top, left; // stored at start
    Place before;
    std::vector<std::string> change;
    Place after;
    std::string stored;
};

void PrintTo(const MonitorChange& change, std::ostream* out) { *out << change.name; }

class MonitorChanges : public ::testing::TestWithParam<MonitorChange> {};

TEST_P(MonitorChanges, AHeadLeftOnNoMonitorComesOntoThePrimaryAndNoOtherMoves)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "Xorg with the dummy driver needs root";
    const MonitorChange& c = GetParam();
    VirtualScreen screen(2048, 768, "", VirtualScreen::Server::XorgDummy);
    ASSERT_TRUE(Xrandr(screen, c.layout));
    TempFolder folder;
    WriteBytes(folder.Path() / "lookout.ini", "[Tarvex Blinkmor]\nTop=" + c.top + "\nLeft=" + c.left + "\n");
    RunningLookout lookout(screen, InstallLookout(folder.Path()));
    ASSERT_EQ(lookout.Position(), c.before);

    ASSERT_TRUE(Xrandr(screen, c.change));
    EXPECT_TRUE(Eventually([&] { return lookout.Position() == c.after; }, 1s)) << "at " << lookout.Position().first;
    EXPECT_FALSE(Eventually([&] { return lookout.Position() != c.after; }, 1s)) << "moved on to " << lookout.Position().first;
    if (c.stored.empty())
        return;
    // Still looking: towards a pointer on the far side of the screen.
    bool pointerLeft = c.after.first > 600;
    screen.MovePointer(pointerLeft ? 0 : 1023, c.after.second + eyeY);
    EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(leftEyeX + (pointerLeft ? -9 : 9), eyeY) == black; }))
        << "not looking " << (pointerLeft ? "left" : "right");
    DoubleClick(screen, lookout);
    EXPECT_EQ(lookout.WaitForExit(3s), 0);
    EXPECT_EQ(FileBytes(folder.Path() / "lookout.ini"), "[Tarvex Blinkmor]\n" + c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MonitorChanges,
    ::testing::Values(
        MonitorChange{"UnpluggedUnderTheHead", twoMonitors, "1500", "22500", {1500, 100}, unplugRight, {840, 100},
                      "Top=1500\nLeft=12600\n"},
        // What is left on the remaining monitor is the picture's transparent corner: on none.
        MonitorChange{"OnlyItsEmptyCornerLeft", twoMonitors, "11220", "15330", {1022, 748}, unplugRight, {840, 488},
                      "Top=7320\nLeft=12600\n"},
        MonitorChange{"PartlyOnTheRest", twoMonitors, "1500", "13860", {924, 100}, unplugRight, {924, 100},
                      "Top=1500\nLeft=13860\n"},
        // Stored off every monitor, and still off them once one is plugged in: left where the user put it.
        MonitorChange{"PluggedInBesideAHeadOffScreen", oneMonitor, "1500", "45000", {3000, 100},
                      {"--output DUMMY0 --mode 2048x768 --fb 2048x768"}, {3000, 100}, ""},
        MonitorChange{"ThePrimaryMovesRight", twoMonitors, "1500", "22500", {1500, 100},
                      {"--delmonitor RIGHTM", "--setmonitor '*RIGHTM' 1024/270x768/203+1024+0 none", outputChanged},
                      {1500, 100}, "Top=1500\nLeft=7140\n"},
        // The laptop's own screen goes dark: the external one is the primary now, and counts from its corner.
        MonitorChange{"ThePrimaryUnpluggedUnderTheHead", twoMonitors, "1500", "4500", {300, 100},
                      {"--delmonitor LEFTM", "--delmonitor RIGHTM", "--setmonitor '*RIGHTM' 1024/270x768/203+1024+0 DUMMY0",
                       outputChanged},
                      {1024, 100}, "Top=1500\nLeft=0\n"}),
    [](const auto& info) { return info.param.name; });

// A desktop that publishes its work areas (_NET_WORKAREA, one for each virtual desktop); with
// nothing stored the head starts at the top of the primary monitor's part of the current one.
struct WorkArea {
    const char* name;
    bool twoMonitors; // else one screen of 1024 by 768 on Xvfb
    std::vector<long> areas; // none published where empty
    std::optional<long> currentDesktop;
    Place first;
    std::string stored; // by a double-click there: counted from the primary monitor's corner
};

void PrintTo(const WorkArea& area, std::ostream* out) { *out << area.name; }

class WorkAreas : public ::testing::TestWithParam<WorkArea> {};

TEST_P(WorkAreas, TheFirstPlaceIsAtTheTopOfThePrimaryMonitorsWorkAreaCentred)
{
    const WorkArea& w = GetParam();
    if (w.twoMonitors && geteuid() != 0)
        GTEST_SKIP() << "Xorg with the dummy driver needs root";
    VirtualScreen screen(w.twoMonitors ? 2048 : 1024, 768, "",
                         w.twoMonitors ? VirtualScreen::Server::XorgDummy : VirtualScreen::Server::Xvfb);
    ASSERT_TRUE(!w.twoMonitors || Xrandr(screen, rightPrimary));
    Display* display = screen.Connection();
    Window root = DefaultRootWindow(display);
    if (!w.areas.empty())
        XChangeProperty(display, root, XInternAtom(display, "_NET_WORKAREA", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(w.areas.data()), static_cast<int>(w.areas.size()));
    if (w.currentDesktop)
        XChangeProperty(display, root, XInternAtom(display, "_NET_CURRENT_DESKTOP", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&*w.currentDesktop), 1);
    XSync(display, False);
    TempFolder folder;
    auto program = InstallLookout(folder.Path());
    {
        RunningLookout lookout(screen, program);
        EXPECT_EQ(lookout.Position(), w.first);
        // Left of the head: with two monitors only a pointer counted from the same corner looks there.
        screen.MovePointer(w.first.first - 144, w.first.second + eyeY);
        EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(rightEyeX - 9, eyeY) == black; })) << "not looking left";
        DoubleClick(screen, lookout);
        ASSERT_EQ(lookout.WaitForExit(3s), 0);
    }
    EXPECT_EQ(FileBytes(folder.Path() / "lookout.ini"), "[Tarvex Blinkmor]\n" + w.stored);
    // A stored place is applied as it is, work area or not.
    WriteBytes(folder.Path() / "lookout.ini", "[Tarvex Blinkmor]\nTop=0\nLeft=3000\n");
    RunningLookout stored(screen, program);
    EXPECT_EQ(stored.Position(), Place(w.first.first - 420 + 200, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, WorkAreas,
    ::testing::Values(WorkArea{"NonePublished", false, {}, {}, {420, 0}, "Top=0\nLeft=6300\n"},
                      WorkArea{"ATopPanel", false, {0, 32, 1024, 736}, {}, {420, 32}, "Top=480\nLeft=6300\n"},
                      WorkArea{"TheCurrentDesktops", false, {0, 0, 1024, 768, 0, 48, 1024, 720}, 1, {420, 48},
                               "Top=720\nLeft=6300\n"},
                      WorkArea{"APanelAcrossTwoMonitors", true, {0, 32, 2048, 736}, {}, {1024 + 420, 32},
                               "Top=480\nLeft=6300\n"},
                      // A desktop's one rectangle that misses the primary monitor says nothing of it.
                      WorkArea{"OffThePrimary", true, {0, 32, 1024, 736}, 0, {1024 + 420, 0},
                               "Top=0\nLeft=6300\n"}),
    [](const auto& info) { return info.param.name; });

} // namespace
