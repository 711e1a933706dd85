// lookout.exe under Wine at each display scaling, as a user meets it: its size in inches, crisp
// and cut to its outline, looking at the pointer, dragged, storing its place beside the exe on a
// double-click, back there, and alone. Needs wine and a WINEPREFIX, whose DPI it sets for each
// case. Wine never moves a window to another DPI itself: one case runs lookout with its
// monitor's scaling changed as it shows (dpi_change_probe.exe, LOOKOUT_DPI_PROBE).

#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

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

void PrintTo(const WineDesktop& desktop, std::ostream* out)
{
    *out << (*desktop.manager ? desktop.manager : "no manager") << " at " << desktop.dpi << " DPI, the window at "
         << desktop.monitorDpi;
}

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

// The middle and the length of the black run along a line of pixels, which starts at a window position.
std::pair<double, int> BlackRun(const std::vector<unsigned>& line, int start)
{
    auto first = std::find(line.begin(), line.end(), black);
    auto last = std::find(line.rbegin(), line.rend(), black);
    if (first == line.end())
        return {-1, 0};
    int from = static_cast<int>(first - line.begin()), to = static_cast<int>(line.rend() - last) - 1;
    return {start + (from + to) / 2.0, to - from + 1};
}

class WineDesktops : public ::testing::TestWithParam<WineDesktop> {
protected:
    double Scale() const { return GetParam().monitorDpi / 96.0; }
    int Scaled(int logical) const { return static_cast<int>(std::lround(logical * Scale())); }
    // A device pixel inside a logical one.
    int In(int logical) const { return static_cast<int>((logical + 0.5) * Scale()); }
    std::pair<int, int> In(int x, int y) const { return {In(x), In(y)}; }
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

    // Cut to the picture's outline (rows 1 to 279, columns 0 to 182), its area scaled.
    Display* display = screen->Connection();
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(display, lookout->TheWindow(), ShapeBounding, &count, &ordering);
    Region outline = XCreateRegion();
    double area = 0;
    for (int i = 0; i < count; ++i) {
        XUnionRectWithRegion(&shape[i], outline, outline);
        area += shape[i].width * shape[i].height / (Scale() * Scale());
    }
    XFree(shape);
    XRectangle box{};
    XClipBox(outline, &box);
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.x + box.width, box.y + box.height}),
              std::vector<int>({0, Scaled(1), Scaled(183), Scaled(280)}));
    EXPECT_NEAR(area, PictureArea(), PictureArea() * 0.005);
    // Inside the outline no key colour but the pupils (a pixel past the eye when rounded);
    // outside it, beside it and below it the desktop.
    auto wrongPixels = [&] {
        auto [left, top] = lookout->Position();
        std::vector<unsigned> now = screen->Pixels(left - 1, top, size.first + 2, size.second + 1);
        int wrong = 0;
        for (int y = 0; y <= size.second; ++y)
            for (int x = -1; x <= size.first; ++x) {
                unsigned pixel = now[y * (size.first + 2) + x + 1];
                bool inEye = std::hypot(x - Scaled(leftEyeX), y - Scaled(eyeY)) <= 14 * Scale() ||
                             std::hypot(x - Scaled(rightEyeX), y - Scaled(eyeY)) <= 14 * Scale();
                wrong += XPointInRegion(outline, x, y) ? pixel == black && !inEye : pixel != rootWhite;
            }
        return wrong;
    };
    EXPECT_TRUE(Eventually([&] { return wrongPixels() == 0; })) << wrongPixels();
    XDestroyRegion(outline);

    // Each pupil 5 logical pixels from its eye's centre towards the pointer (-1 left, 1 right),
    // 7 in radius, round: where its black runs across and down through it have their middles and lengths.
    auto pupilsLook = [&](int leftEyeSide, int rightEyeSide) {
        auto [left, top] = lookout->Position();
        for (auto [eyeX, side] : {std::pair{leftEyeX, leftEyeSide}, std::pair{rightEyeX, rightEyeSide}}) {
            double x = (eyeX + 5 * side) * Scale(), y = eyeY * Scale();
            int reach = Scaled(11); // inside the eye's disc
            auto [acrossMiddle, acrossLength] =
                BlackRun(screen->Pixels(left + Scaled(eyeX) - reach, top + Scaled(eyeY), 2 * reach + 1, 1),
                         Scaled(eyeX) - reach);
            auto [downMiddle, downLength] =
                BlackRun(screen->Pixels(left + std::lround(x), top + Scaled(eyeY) - reach, 1, 2 * reach + 1),
                         Scaled(eyeY) - reach);
            double length = 14 * Scale() + 1;
            if (std::abs(acrossMiddle - x) > 1 || std::abs(downMiddle - y) > 1 || std::abs(acrossLength - length) > 2 ||
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
                                    std::to_string(info.param.dpi) + "dpi" +
                                    (info.param.monitorDpi != info.param.dpi
                                         ? "_moved_to_" + std::to_string(info.param.monitorDpi)
                                         : "");
                         });

} // namespace
