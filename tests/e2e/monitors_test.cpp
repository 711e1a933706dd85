// Two monitors side by side, the right one primary: the program's screen is the
// primary monitor, and its positions and the pointer count from that monitor's corner.

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

TEST(TwoMonitors, ThePrimaryIsTheScreenAndItsCornerTheOrigin)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "Xorg with the dummy driver needs root";
    VirtualScreen screen(2048, 768, "", VirtualScreen::Server::XorgDummy);
    // The dummy output spans both (the pointer stays within outputs); RandR splits it in two.
    for (const char* split : {"--newmode wide 130.25 2048 2160 2376 2704 768 771 781 805", "--addmode DUMMY0 wide",
                              "--output DUMMY0 --mode wide", "--setmonitor left 1024/270x768/203+0+0 DUMMY0",
                              "--setmonitor '*right' 1024/270x768/203+1024+0 none"})
        ASSERT_EQ(std::system(("xrandr -display " + screen.Name() + " " + split + " >/dev/null 2>&1").c_str()), 0) << split;
    TempFolder folder;
    auto program = InstallLookout(folder.Path());
    {
        RunningLookout lookout(screen, program);
        EXPECT_EQ(lookout.Position(), std::make_pair(1024 + 420, 0));
        // Left of the head on the screen: only a pointer counted from the same corner looks there.
        screen.MovePointer(1300, eyeY);
        EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(rightEyeX - 9, eyeY) == black; })) << "not looking left";
        DoubleClick(screen, lookout);
        ASSERT_EQ(lookout.WaitForExit(3s), 0);
    }
    EXPECT_EQ(FileBytes(folder.Path() / "lookout.ini"), "[Tarvex Blinkmor]\nTop=0\nLeft=6300\n");
    WriteBytes(folder.Path() / "lookout.ini", "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
    RunningLookout lookout(screen, program);
    EXPECT_EQ(lookout.Position(), std::make_pair(1024 + 200, 100));
}

} // namespace
