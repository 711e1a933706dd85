// lookout.exe under Wine on a virtual screen, as a user meets it: shaped, looking at the
// pointer, dragged, storing its place beside the exe on a double-click, back there, and alone.
// Needs wine and a WINEPREFIX; LOOKOUT_WINDOW_MANAGER=openbox puts openbox on the screen.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr unsigned rootWhite = 0xFFFFFF;

// Global, so that a run stopped from outside (a time limit, Ctrl-C) still takes it down on the way out.
VirtualScreen& Screen()
{
    const char* manager = std::getenv("LOOKOUT_WINDOW_MANAGER");
    static VirtualScreen screen(1024, 768, manager && std::string(manager) == "openbox" ? "openbox" : "");
    return screen;
}

TEST(WineWatcher, TheShapedHeadLooksIsDraggedComesBackWhereItWasStoredAndRunsAlone)
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, [](int caught) { std::exit(128 + caught); });
    TempFolder folder;
    fs::path program = InstallLookout(folder.Path() / "My Apps", "Look Out.exe");
    Screen().MovePointer(0, eyeY); // the old pupils must go when they turn right
    {
        RunningLookout lookout(Screen(), program, true, {"wine"});
        EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
        // Under a window manager Wine may paint the eyes before the picture: wait for the forehead.
        EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(91, 100) != rootWhite; }));
        EXPECT_EQ(lookout.PixelAt(2, 2), rootWhite); // the desktop shows around the head
        EXPECT_EQ(lookout.PixelAt(183, 150), rootWhite);
        Screen().MovePointer(1000, eyeY); // both pupils turn right: black past each eye's centre, green before it
        EXPECT_TRUE(Eventually([&] {
            return lookout.PixelAt(48, eyeY) == black && lookout.PixelAt(30, eyeY) == eyeGreen &&
                   lookout.PixelAt(152, eyeY) == black && lookout.PixelAt(134, eyeY) == eyeGreen;
        })) << "not looking right";
        // Only the left button drags.
        Drag(Screen(), lookout, 3, {91, 60}, {100, 100});
        Drag(Screen(), lookout, 2, {91, 60}, {100, 100});
        Drag(Screen(), lookout, 1, {91, 60}, {100, 50});
        EXPECT_TRUE(Eventually([&] { return lookout.Position() == std::make_pair(520, 50); }));
        DoubleClick(Screen(), lookout, {91, 60});
        EXPECT_EQ(lookout.WaitForExit(3s), 0);
    }
    EXPECT_EQ(FileBytes(folder.Path() / "My Apps" / "Look Out.ini"), "[Tarvex Blinkmor]\r\nTop=750\r\nLeft=7800\r\n");
    RunningLookout again(Screen(), program, true, {"wine"});
    EXPECT_EQ(again.Position(), std::make_pair(520, 50));
    RunningLookout copy(Screen(), program, false, {"wine"});
    EXPECT_EQ(copy.WaitForExit(2s), 0); // Wine's own start included
    EXPECT_TRUE(again.Running());
}

} // namespace
