// Starting lookout, storing its place with a double-click and finding it there again.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

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

TEST(Startup, ASecondCopyEndsAtOnceWithoutWritingTheSettings)
{
    TempFolder folder;
    fs::path settings = folder.Path() / "lookout.ini", program = InstallLookout(folder.Path());
    WriteBytes(settings, "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
    RunningLookout first(SharedScreen(), program);
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};
    utimensat(AT_FDCWD, settings.c_str(), old, 0);
    RunningLookout second(SharedScreen(), program, false);
    EXPECT_EQ(second.WaitForExit(2s), 0);
    struct stat info;
    stat(settings.c_str(), &info);
    EXPECT_EQ(info.st_mtim.tv_sec, old[1].tv_sec);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Position(), std::make_pair(200, 100));
}

TEST(Startup, WithoutADisplayItSaysSoInOneLineAndEndsWithStatusOne)
{
    TempFolder folder;
    RunningLookout lookout(SharedScreen(), InstallLookout(folder.Path()), false, {"env", "DISPLAY=:31999"});
    EXPECT_EQ(lookout.WaitForExit(5s), 1);
    std::string message = lookout.ErrorOutput();
    EXPECT_EQ(message.find("lookout: "), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_FALSE(fs::exists(folder.Path() / "lookout.ini"));
}

} // namespace
