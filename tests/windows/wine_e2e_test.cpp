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

constexpr unsigned rootWhite = 0xFFFFFF, black = 0, eyeGreen = 0x80FF80;
constexpr int eyeY = 162;

// Global, so that a run stopped from outside (a time limit, Ctrl-C) still takes it down on the way out.
VirtualScreen& Screen()
{
    const char* manager = std::getenv("LOOKOUT_WINDOW_MANAGER");
    static VirtualScreen screen(1024, 768, manager && std::string(manager) == "openbox" ? "openbox" : "");
    return screen;
}

// Both pupils towards the pointer (dx +1 or -1), level with the eyes: black past the eye's
// centre on that side, green on the other.
bool LooksTowards(const RunningLookout& lookout, int dx)
{
    for (int eyeX : {39, 143})
        if (lookout.PixelAt(eyeX + 9 * dx, eyeY) != black || lookout.PixelAt(eyeX - 9 * dx, eyeY) != eyeGreen)
            return false;
    return true;
}

TEST(WineWatcher, TheShapedHeadLooksIsDraggedComesBackWhereItWasStoredAndRunsAlone)
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, [](int caught) { std::exit(128 + caught); });
    TempFolder folder;
    fs::path program = InstallLookout(folder.Path() / "My Apps", "Look Out.exe");
    Screen().MovePointer(1000, 700);
    {
        RunningLookout lookout(Screen(), program, true, {"wine"});
        EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
        EXPECT_EQ(lookout.PixelAt(2, 2), rootWhite); // the desktop shows around the head
        EXPECT_EQ(lookout.PixelAt(183, 150), rootWhite);
        EXPECT_NE(lookout.PixelAt(91, 100), rootWhite);
        Screen().MovePointer(1000, eyeY);
        EXPECT_TRUE(Eventually([&] { return LooksTowards(lookout, 1); })) << "not looking right";
        Screen().MovePointer(0, eyeY);
        EXPECT_TRUE(Eventually([&] { return LooksTowards(lookout, -1); })) << "not looking left";
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
