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
#include <X11/extensions/shape.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <tuple>

#include "picture.h"
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

using Rectangles = std::vector<std::array<int, 4>>; // left, top, right, bottom

// The pixels of the window's box that a shape covers.
struct Coverage {
    int width = 0, height = 0;
    std::vector<bool> inside = std::vector<bool>(static_cast<std::size_t>(width * height));

    bool Holds(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height && inside[y * width + x]; }
    Coverage& Add(int left, int top, int right, int bottom)
    {
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
            for (int x = std::max(left, 0); x < std::min(right, width); ++x)
                inside[y * width + x] = true;
        return *this;
    }
    Coverage& Add(const Rectangles& rectangles)
    {
        for (auto [left, top, right, bottom] : rectangles)
            Add(left, top, right, bottom);
        return *this;
    }
    // The first pixel where the two differ, or "" where they agree.
    std::string FirstDifference(const Coverage& expected) const
    {
        for (int i = 0; i < width * height; ++i)
            if (inside[i] != expected.inside[i])
                return std::to_string(i % width) + "," + std::to_string(i / width) + (inside[i] ? " inside" : " outside");
        return "";
    }
};

// The head's outline as the picture's pixels cover the screen's at the head's scale: each picture
// pixel between its edges scaled, as Windows shows a region that the program made of them.
Coverage PictureOutline(const HeadScale& head)
{
    std::string bmp = FileBytes(LOOKOUT_PICTURE_BMP);
    Picture picture = DecodeBmpFile({reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()});
    Coverage outline{head.Scaled(picture.width), head.Scaled(picture.height)};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.At(x, y) != picture.At(0, 0))
                outline.Add(head.Scaled(x), head.Scaled(y), head.Scaled(x + 1), head.Scaled(y + 1));
    return outline;
}

// Wine 8 gives the X window the region's rectangles as they are (sync_window_region,
// dlls/winex11.drv/window.c). Wine 10 draws the region into a one-bit mask of the window's
// surface, which becomes the X shape (set_surface_shape_rect, dlls/win32u/dce.c), and draws a
// rectangle that lies within one byte of the mask (8 pixels from a multiple of 8) with the wrong
// bits: the pixels from its right edge to the end of that byte instead of its own, none where its
// right edge ends the byte. Every other rectangle it draws exactly. In the picture's row 6 the
// stretch from 117 to 119 becomes the pixel 119 alone.
Rectangles WineSurfaceShape(Rectangles region)
{
    for (auto& [left, top, right, bottom] : region)
        if (left / 8 == (right - 1) / 8)
            std::tie(left, right) = std::pair{right, left / 8 * 8 + 8};
    return region;
}

int WineMajorVersion()
{
    static const int major = [] {
        std::unique_ptr<FILE, int (*)(FILE*)> version(popen("wine --version", "r"), pclose);
        int read = 0;
        return version && std::fscanf(version.get(), "wine-%d", &read) == 1 ? read : 0;
    }();
    return major;
}

std::string WindowsPath(const std::filesystem::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// What exe_probe.exe reads of the program file and of the lookout window running now: each
// line's first word and the rest, and the window region's rectangles.
struct ProbeFacts {
    std::map<std::string, std::string> facts;
    Rectangles region;
};
ProbeFacts Probe(const std::filesystem::path& program, const std::filesystem::path& folder)
{
    const auto results = folder / "probe.txt";
    std::filesystem::remove(results);
    std::string command = "DISPLAY=" + screen->Name() + " wine " + LOOKOUT_EXE_PROBE + " '" + WindowsPath(program) +
                          "' '" + WindowsPath(results) + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    ProbeFacts probe;
    std::ifstream lines(results);
    for (std::string name, rest; lines >> name && std::getline(lines >> std::ws, rest);) {
        std::array<int, 4> rectangle{};
        if (name == "region" && std::istringstream(rest) >> rectangle[0] >> rectangle[1] >> rectangle[2] >> rectangle[3])
            probe.region.push_back(rectangle);
        else
            probe.facts[name] = rest;
    }
    return probe;
}

// The window's region, as the system holds it, covers the head's outline at its scale, and Wine
// shapes the X window by it: exactly, or as Wine 10 does (above). Returns what the X shape holds
// beyond the region.
Coverage ExpectShapedAsThePicture(const RunningLookout& lookout, const HeadScale& head, const ProbeFacts& probe)
{
    const Coverage outline = PictureOutline(head), none{outline.width, outline.height};
    const Coverage region = Coverage(none).Add(probe.region), masked = Coverage(none).Add(WineSurfaceShape(probe.region));
    EXPECT_EQ(region.FirstDifference(outline), "") << "the window's region differs from the picture's outline there";
    const bool wineMask = WineMajorVersion() >= 10;
    Coverage shown;
    Eventually([&] { // Wine may shape the X window a moment after it shows it
        int count = 0, ordering = 0;
        XRectangle* rectangles = XShapeGetRectangles(screen->Connection(), lookout.TheWindow(), ShapeBounding, &count, &ordering);
        shown = none;
        for (int i = 0; i < count; ++i)
            shown.Add(rectangles[i].x, rectangles[i].y, rectangles[i].x + rectangles[i].width, rectangles[i].y + rectangles[i].height);
        XFree(rectangles);
        return shown.FirstDifference(region).empty() || (wineMask && shown.FirstDifference(masked).empty());
    });
    if (wineMask && !shown.FirstDifference(region).empty())
        EXPECT_EQ(shown.FirstDifference(masked), "") << "the X shape differs from the region there, and from Wine 10's mask of it";
    else
        EXPECT_EQ(shown.FirstDifference(region), "") << "the X shape differs from the window's region there";
    Coverage beyond = shown;
    for (std::size_t i = 0; i < beyond.inside.size(); ++i)
        beyond.inside[i] = shown.inside[i] && !region.inside[i];
    return beyond;
}

// Cut to the X shape, but where Wine's shape holds more than the region, which then shows the picture's key colour.
void ExpectCutToOutline(const RunningLookout& lookout, const HeadScale& head, const Coverage& beyondTheRegion)
{
    ExpectCutToOutline(*screen, lookout, head.Scale(), [](unsigned pixel, int, int) { return pixel == rootWhite; },
                       [&](int x, int y) { return beyondTheRegion.Holds(x, y); });
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

    // Per-monitor DPI aware, as its manifest declares: never stretched by the system.
    ProbeFacts asked = Probe(program, folder.Path());
    EXPECT_EQ(asked.facts["awareness"], "2");
    ExpectCutToOutline(*lookout, *this, ExpectShapedAsThePicture(*lookout, *this, asked));

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
    if (desktop.change == std::string("dragged"))
        ExpectCutToOutline(*lookout, *this, ExpectShapedAsThePicture(*lookout, *this, Probe(program, folder.Path())));

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

// What Explorer shows of the program file: its icon, 32 by 32 pixels, and under Properties,
// Details, its version 2.01.0003, in German.
TEST(WineExplorer, ShowsTheIconAndTheGermanVersion)
{
    screen = std::make_unique<VirtualScreen>(1024, 768);
    TempFolder folder;
    ProbeFacts asked = Probe(InstallLookout(folder.Path(), "lookout.exe"), folder.Path());
    EXPECT_EQ(asked.facts["icon"], "32 32");
    EXPECT_EQ(asked.facts["version"], "2.1.0.3 2.1.0.3");
    EXPECT_EQ(asked.facts["translation"], "0407 1200");
    EXPECT_EQ(asked.facts["FileVersion"], "2.01.0003");
    EXPECT_EQ(asked.facts["ProductVersion"], "2.01.0003");
    screen.reset();
}

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
