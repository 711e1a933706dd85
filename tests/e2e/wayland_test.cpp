// What a user sees on each Wayland desktop, with lookout under Xwayland over a native window:
// the head cut out, kept above, looking wherever the pointer is, dragged, stored, and on GNOME
// what lookout's Shell extension reports. One compositor start per desktop; each case starts
// lookout afresh in a folder of its own.

#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <sstream>
#include <tuple>

#include "running_lookout.h"
#include "wayland/wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

// The desktop that the cases run on, started by the first case that needs it.
struct Running {
    std::string name;
    std::unique_ptr<WaylandDesktop> desktop;
    std::string failure; // why it did not start
};
Running& Current()
{
    static Running running;
    return running;
}

class OnWayland;
struct Case {
    const char* name;
    void (*run)(OnWayland&);
    const char* onlyOn = ""; // the desktops whose names start so
};

class OnWayland : public ::testing::TestWithParam<std::tuple<std::string, Case>> {
public:
    static void TearDownTestSuite() { Current() = {}; }

    WaylandDesktop& Desktop() { return *Current().desktop; }
    HeadScale head;
    TempFolder folder;
    std::unique_ptr<RunningLookout> lookout;
    std::vector<std::string> command; // lookout's start, in the desktop's environment

    int Width() { return DisplayWidth(Desktop().Connection(), 0); }
    int Height() { return DisplayHeight(Desktop().Connection(), 0); }
    // The top of the work area the desktop publishes (below GNOME's top bar), else 0.
    int WorkAreaTop()
    {
        Display* display = Desktop().Connection();
        auto area = Property32(display, DefaultRootWindow(display), XInternAtom(display, "_NET_WORKAREA", False));
        return area.size() >= 4 ? static_cast<int>(area[1]) : 0;
    }
    // A point of the head's picture on the root.
    std::pair<int, int> OnHead(int x, int y)
    {
        auto [left, top] = lookout->Position();
        return {left + head.In(x), top + head.In(y)};
    }
    // Whether KWin has lookout's script, as its session bus says.
    bool KWinScriptLoaded()
    {
        return CommandOutput(Desktop().InClientEnvironment(
                                 "dbus-send --session --print-reply --dest=org.kde.KWin /Scripting "
                                 "org.kde.kwin.Scripting.isScriptLoaded string:lookout-pointer"))
                   .find("boolean true") != std::string::npos;
    }
    // Clicks where the pointer is; whether the native window gets the press, after a motion to that
    // place in its logical pixels where one is given ("X Y").
    bool ClickReachesTheNativeWindow(const std::string& at = "")
    {
        const size_t before = Desktop().NativeEvents().size();
        Desktop().Button(1, true);
        Desktop().Button(1, false);
        return Eventually([&] {
            auto events = Desktop().NativeEvents();
            for (size_t i = std::max<size_t>(before, 1); i < events.size(); ++i)
                if (events[i] == "button 272 1")
                    return at.empty() || events[i - 1].ends_with(" " + at);
            return false;
        });
    }
    // Moves the pointer there and waits until both pupils turn towards it, asking Xwayland nothing
    // meanwhile: another client's request would bring lookout news that it might not get alone.
    void ExpectLooksAt(int x, int y, const std::string& where)
    {
        auto eyes = std::make_pair(OnHead(leftEyeX, eyeY), OnHead(rightEyeX, eyeY));
        Desktop().MovePointer(x, y);
        EXPECT_TRUE(Eventually([&] { return LooksAt(eyes, x, y); }, 3s)) << "not looking at " << where;
    }

protected:
    void SetUp() override
    {
        auto& running = Current();
        const std::string& name = std::get<0>(GetParam());
        if (running.name != name) {
            running = {name, nullptr, ""};
            try {
                running.desktop = StartDesktop(name);
            } catch (const std::exception& error) {
                running.failure = error.what();
            }
        }
        ASSERT_TRUE(running.desktop) << name << " did not start: " << running.failure;
        head.factor = Desktop().Scale();
        if (head.factor != 1) { // as the desktop's settings tell X11 programs the scale
            const std::string xrdb = "echo Xft.dpi: " + std::to_string(std::lround(96 * head.factor)) +
                                     " | xrdb -nocpp -display " + Desktop().Name();
            ASSERT_EQ(std::system(xrdb.c_str()), 0);
        }
        Desktop().MovePointer(Width() - 1, Height() - 1); // out of the screenshots, where it is drawn into them
        command = {"env"};
        for (const std::string& variable : Desktop().ClientEnvironment())
            command.push_back(variable);
        lookout = std::make_unique<RunningLookout>(Desktop(), InstallLookout(folder.Path()), true, command);
    }

private:
    using Point = std::pair<int, int>;
    bool LooksAt(std::pair<Point, Point> eyes, int x, int y)
    {
        for (auto [centreX, centreY] : {eyes.first, eyes.second}) {
            // Black near the eye's edge towards the point (within 28 degrees of it), green at the other side.
            double distance = std::hypot(x - centreX, y - centreY);
            auto along = [&](double reach) {
                return std::make_pair(centreX + static_cast<int>(std::lround((x - centreX) / distance * reach * head.factor)),
                                      centreY + static_cast<int>(std::lround((y - centreY) / distance * reach * head.factor)));
            };
            if (Desktop().ScreenPixel(along(11).first, along(11).second) != black ||
                Desktop().ScreenPixel(along(-9).first, along(-9).second) != eyeGreen)
                return false;
        }
        return true;
    }
};

TEST_P(OnWayland, Shows) { std::get<1>(GetParam()).run(*this); }

const Case cases[] = {
    {"CutOutAtItsBoxCornersAtTheTopCentred", [](OnWayland& t) {
         EXPECT_EQ(t.lookout->Position(), std::make_pair((t.Width() - t.head.Scaled(184)) / 2, t.WorkAreaTop()));
         ExpectCutToOutline(t.Desktop(), *t.lookout, t.head.Scale(),
                            [](unsigned pixel, int, int) { return pixel == nativeColour; });
     }},
    {"AboveTheNativeWindowOnceItIsRaised", [](OnWayland& t) {
         if (std::get<0>(t.GetParam()) == "gnome" && t.Desktop().XwaylandMajorVersion() >= 24)
             GTEST_SKIP() << "open: on GNOME Shell 48 the native window now and then logs no click from the test's "
                             "RemoteDesktop press, as at the box corner";
         auto [x, y] = t.OnHead(91, 100);
         const unsigned forehead = t.Desktop().ScreenPixel(x, y);
         t.Desktop().MovePointer(5, t.Height() - 5); // a click raises and activates the native window
         EXPECT_TRUE(t.ClickReachesTheNativeWindow()) << "the native window got no click";
         t.Desktop().MovePointer(t.Width() - 1, t.Height() - 1);
         EXPECT_NE(forehead, nativeColour);
         EXPECT_TRUE(Eventually([&] { return t.Desktop().ScreenPixel(x, y) == forehead; })) << "covered";
         EXPECT_FALSE(Eventually([&] { return t.Desktop().ScreenPixel(x, y) != forehead; }, 1s)) << "covered later";
     }},
    {"LooksLeftAndRightOverTheNativeWindow", [](OnWayland& t) {
         if (!t.Desktop().PointerKnownEverywhere())
             GTEST_SKIP() << "this compositor tells no client where the pointer is over another's native window";
         const int y = t.OnHead(0, eyeY).second;
         t.ExpectLooksAt(2, y, "the far left");
         t.ExpectLooksAt(t.Width() - 3, y, "the far right");
         t.ExpectLooksAt(2, y, "the far left again");
     }},
    {"LooksLeftAndRightOverAnX11Window", [](OnWayland& t) {
         // An X11 window over the width of the screen, below the head.
         Display* display = t.Desktop().Connection();
         const int top = t.OnHead(0, 280).second + 20;
         XSetWindowAttributes attributes{};
         attributes.override_redirect = True;
         attributes.background_pixel = 0xC00000;
         Window x11 = XCreateWindow(display, DefaultRootWindow(display), 0, top, t.Width(), t.Height() - top, 0,
                                    CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                                    &attributes);
         XMapWindow(display, x11);
         XSync(display, False);
         EXPECT_TRUE(Eventually([&] { return t.Desktop().ScreenPixel(5, top + 5) == 0xC00000; })) << "not shown";
         t.ExpectLooksAt(2, top + 40, "the far left");
         t.ExpectLooksAt(t.Width() - 3, top + 40, "the far right");
         t.ExpectLooksAt(2, top + 40, "the far left again");
         XDestroyWindow(display, x11);
         XSync(display, False);
     }},
    {"LooksLeftAndRightOverItself", [](OnWayland& t) {
         for (int round = 0; round < 2; ++round) {
             auto [leftX, y] = t.OnHead(leftEyeX - 20, eyeY);
             t.ExpectLooksAt(leftX, y, "its left side");
             t.ExpectLooksAt(t.OnHead(rightEyeX + 20, eyeY).first, y, "its right side");
         }
     }},
    {"DraggedByExactlyThePointersWay", [](OnWayland& t) {
         GTEST_SKIP() << "open: now and then, on every Wayland desktop, the head ends 5,2 pixels beyond the pointer's "
                         "way (the press 5,2 short of where the test's pointer put it?); not yet found whose";
         auto [left, top] = t.lookout->Position();
         Drag(t.Desktop(), *t.lookout, 1, t.head.In(91, 60), {100, 50});
         EXPECT_TRUE(Eventually([&] { return t.lookout->Position() == std::make_pair(left + 100, top + 50); }))
             << "at " << t.lookout->Position().first << "," << t.lookout->Position().second;
     }},
    {"DoubleClickStoresThePlaceAndEnds", [](OnWayland& t) {
         auto [left, top] = t.lookout->Position();
         DoubleClick(t.Desktop(), *t.lookout, t.head.In(91, 100));
         ASSERT_EQ(t.lookout->WaitForExit(3s), 0);
         auto twips = [&](int pixels) { return std::to_string(pixels * 1440 / std::lround(96 * t.head.factor)); };
         EXPECT_EQ(FileBytes(t.folder.Path() / "lookout.ini"),
                   "[Tarvex Blinkmor]\nTop=" + twips(top) + "\nLeft=" + twips(left) + "\n");
     }},
    {"ClickOutsideTheOutlineReachesTheNativeWindow", [](OnWayland& t) {
         if (int version = t.Desktop().XwaylandMajorVersion(); version < 24)
             GTEST_SKIP() << "Xwayland " << version << " keeps every click in the window's box (24 and later pass it on)";
         if (const std::string& desktop = std::get<0>(t.GetParam()); desktop == "gnome" || desktop == "kwin_scale2")
             GTEST_SKIP() << "open: the native window logs no click at the box corner on " << desktop
                          << " (GNOME Shell 48; KWin 6.3 at scale 2), not yet found why";
         auto [x, y] = t.OnHead(5, 270); // a box corner outside the outline
         t.Desktop().MovePointer(x, y);
         const std::string at = std::to_string(std::lround(x / t.Desktop().Scale())) + " " +
                                std::to_string(std::lround(y / t.Desktop().Scale()));
         EXPECT_TRUE(t.ClickReachesTheNativeWindow(at)) << "the native window got no click at " << at;
         EXPECT_TRUE(t.lookout->Running());
     }},
    {"KWinScriptGoneAtTheEndAndOneLeftByAKilledCopyReplaced", [](OnWayland& t) {
         EXPECT_TRUE(t.KWinScriptLoaded());
         const int y = t.OnHead(0, eyeY).second;
         kill(t.lookout->Pid(), SIGKILL);
         t.lookout->WaitForExit(3s);
         EXPECT_TRUE(t.KWinScriptLoaded()) << "a killed lookout cannot unload it";
         t.lookout = std::make_unique<RunningLookout>(t.Desktop(), InstallLookout(t.folder.Path()), true, t.command);
         t.ExpectLooksAt(2, y, "the far left, with the script replaced");
         t.ExpectLooksAt(t.Width() - 3, y, "the far right, with the script replaced");
         DoubleClick(t.Desktop(), *t.lookout, t.head.In(91, 100));
         ASSERT_EQ(t.lookout->WaitForExit(3s), 0);
         EXPECT_FALSE(t.KWinScriptLoaded()) << "left loaded when lookout ended";
     }, "kwin"},
    // lookout's GNOME Shell extension as lookout hears it: a listener of the test's in lookout's place on the bus.
    {"GnomeExtensionReportsAtOnceNothingAtRestAndAtMostOnceATickWhileMoving", [](OnWayland& t) {
         kill(t.lookout->Pid(), SIGKILL);
         t.lookout->WaitForExit(3s);
         LineDriven listener({LOOKOUT_GNOME_REMOTE}, t.Desktop().ClientEnvironment(), t.folder.Path() / "listener.log");
         ASSERT_TRUE(Eventually([&] { return listener.Ask("own") == "ok"; })) << "lookout's name stayed taken";
         long reports = 0;
         int x = 0, y = 0;
         auto hear = [&] {
             std::istringstream(listener.Ask("reports").substr(2)) >> reports >> x >> y;
             return reports;
         };
         EXPECT_TRUE(Eventually([&] { return hear() >= 1; }, 2s)) << "no report as lookout appeared";
         t.Desktop().MovePointer(300, 200);
         EXPECT_TRUE(Eventually([&] { return hear() && x == 300 && y == 200; })) << "last heard at " << x << "," << y;
         const long resting = reports;
         EXPECT_FALSE(Eventually([&] { return hear() != resting; }, 1s)) << "reports while the pointer rests";
         const auto start = std::chrono::steady_clock::now();
         for (int along = 300; along < 1000; along += 2) // a motion every few milliseconds, each answered by the shell
             t.Desktop().MovePointer(along, 200);
         const double ticks = std::chrono::duration<double>(std::chrono::steady_clock::now() - start) / 70ms;
         ASSERT_TRUE(Eventually([&] { return hear() && x == 998; })) << "the last place never reported";
         EXPECT_LE(reports - resting, ticks + 2);
         EXPECT_GE(reports - resting, ticks / 2) << "over " << ticks << " ticks";
     }, "gnome"},
};

// Every case on every desktop it is for, a desktop's cases one after another.
std::vector<std::tuple<std::string, Case>> DesktopCases()
{
    std::vector<std::tuple<std::string, Case>> all;
    for (const std::string& desktop : RegisteredDesktops())
        for (const Case& one : cases)
            if (desktop.starts_with(one.onlyOn))
                all.emplace_back(desktop, one);
    return all;
}

INSTANTIATE_TEST_SUITE_P(Desktops, OnWayland, ::testing::ValuesIn(DesktopCases()),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" + std::get<1>(info.param).name;
                         });

} // namespace
