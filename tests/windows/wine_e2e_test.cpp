// lookout.exe under Wine on a virtual screen, as a user meets it: shaped, looking at the
// pointer, dragged, storing its place beside the exe on a double-click, and alone.
//
// Runs on Linux with wine and a Wine prefix (WINEPREFIX). LOOKOUT_WINDOW_MANAGER=openbox
// puts openbox on the screen; without it there is no window manager, and Wine does not
// keep a window above the others.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr unsigned rootWhite = 0xFFFFFF, black = 0, eyeGreen = 0x80FF80;
constexpr int eyeY = 162, leftEyeX = 39, rightEyeX = 143;

bool WithWindowManager()
{
    const char* manager = std::getenv("LOOKOUT_WINDOW_MANAGER");
    return manager && std::string(manager) == "openbox";
}

// One screen for the whole run: Wine's desktop process stays with the display it started on.
VirtualScreen& Screen()
{
    static VirtualScreen screen(1024, 768, WithWindowManager() ? "openbox" : "");
    return screen;
}

const Launch wine = [] {
    Launch launch;
    launch.prefix = {"wine"};
    launch.patience = 30s;
    return launch;
}();

class WineWatcher : public ::testing::Test {
protected:
    // Stopped from outside (a time limit, Ctrl-C), the run still takes its screen down on the way out.
    static void SetUpTestSuite()
    {
        for (int signal : {SIGINT, SIGTERM})
            std::signal(signal, [](int caught) { std::exit(128 + caught); });
    }
    void SetUp() override { Screen().MovePointer(1000, 700); }
    TempFolder folder;
    fs::path program = InstallLookout(folder.Path() / "My Apps", "Look Out.exe");
};

// The pupil (radius 7) stands 5 pixels from the eye's centre towards the pointer, level
// with the eyes: its edges on that line, and the green eye (radius 12) before it and opposite.
bool LooksTowards(const RunningLookout& lookout, int eyeX, int dx)
{
    int x = eyeX + 5 * dx;
    return lookout.PixelAt(x + 7 * dx, eyeY) == black && lookout.PixelAt(x - 7 * dx, eyeY) == black &&
           lookout.PixelAt(x - 8 * dx, eyeY) == eyeGreen && lookout.PixelAt(eyeX - 9 * dx, eyeY) == eyeGreen;
}

TEST_F(WineWatcher, TheShapedHeadLooksIsDraggedAndComesBackWhereItWasStored)
{
    {
        RunningLookout lookout(Screen(), program, wine);
        EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
        EXPECT_EQ(lookout.PixelAt(2, 2), rootWhite); // the desktop shows around the head
        EXPECT_EQ(lookout.PixelAt(183, 150), rootWhite);
        EXPECT_NE(lookout.PixelAt(91, 100), rootWhite); // the forehead

        Screen().MovePointer(1000, eyeY);
        EXPECT_TRUE(Eventually([&] { return LooksTowards(lookout, leftEyeX, 1) && LooksTowards(lookout, rightEyeX, 1); }));
        Screen().MovePointer(0, eyeY);
        EXPECT_TRUE(Eventually([&] { return LooksTowards(lookout, leftEyeX, -1) && LooksTowards(lookout, rightEyeX, -1); }));

        if (WithWindowManager()) { // above a window mapped later, and raised later
            Display* display = Screen().Connection();
            Window cover = MapCover(display);
            for (bool raised : {false, true}) {
                if (raised)
                    XRaiseWindow(display, cover);
                XSync(display, False);
                EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(2, 2) != rootWhite; })) << "no cover";
                EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(91, 100) != lookout.PixelAt(2, 2); })) << raised;
            }
            XDestroyWindow(display, cover);
            XSync(display, False);
        }
        // Only the left button drags.
        Drag(Screen(), lookout, 3, {91, 60}, {100, 100});
        Drag(Screen(), lookout, 2, {91, 60}, {100, 100});
        Drag(Screen(), lookout, 1, {91, 60}, {100, 50});
        EXPECT_TRUE(Eventually([&] { return lookout.Position() == std::make_pair(520, 50); }));
        DoubleClick(Screen(), lookout, {91, 60});
        EXPECT_EQ(lookout.WaitForExit(3s), 0);
    }
    EXPECT_EQ(FileBytes(folder.Path() / "My Apps" / "Look Out.ini"), "[Tarvex Blinkmor]\r\nTop=750\r\nLeft=7800\r\n");
    RunningLookout again(Screen(), program, wine);
    EXPECT_EQ(again.Position(), std::make_pair(520, 50));
}

TEST_F(WineWatcher, ASecondCopyEndsAtOnceWhileTheFirstRunsOn)
{
    RunningLookout first(Screen(), program, wine);
    RunningLookout copy(Screen(), program, WithoutWaiting(wine));
    EXPECT_EQ(copy.WaitForExit(2s), 0); // Wine's own start included
    EXPECT_TRUE(first.Running());
    EXPECT_NE(first.PixelAt(91, 100), rootWhite);
}

} // namespace
