// Starting lookout through a link, storing its place with a double-click, and ending it from outside.

#include <gtest/gtest.h>

#include <csignal>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

TEST(Startup, ADoubleClickChangesOnlyTheTwoValuesOfTheFileBesideTheProgramStartedThroughALink)
{
    TempFolder folder;
    fs::path program = InstallLookout(folder.Path() / "My Apps");
    fs::create_symlink(program, folder.Path() / "watcher");
    fs::path settings = folder.Path() / "My Apps" / "lookout.ini";
    WriteBytes(settings, "; mine\r\n[Other]\r\nLeft=1\r\n\r\n[tarvex blinkmor]\r\ntop = 4500\r\nSize=3\r\n\r\n[Last]\r\nx=y");
    RunningLookout lookout(SharedScreen(), folder.Path() / "watcher");
    EXPECT_EQ(lookout.Position(), std::make_pair(0, 300)); // one key only: the other edge at 0
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(settings),
              "; mine\r\n[Other]\r\nLeft=1\r\n\r\n[tarvex blinkmor]\r\ntop =4500\r\nSize=3\r\nLeft=0\r\n\r\n[Last]\r\nx=y");
}

TEST(Startup, EndedFromOutsideItStoresNothing)
{
    TempFolder folder;
    RunningLookout lookout(SharedScreen(), InstallLookout(folder.Path()));
    Drag(SharedScreen(), lookout, 1, {91, 100}, {30, 30});
    lookout.Signal(SIGTERM);
    EXPECT_EQ(lookout.WaitForExit(2s), 128 + SIGTERM);
    EXPECT_FALSE(fs::exists(folder.Path() / "lookout.ini"));
}

} // namespace
