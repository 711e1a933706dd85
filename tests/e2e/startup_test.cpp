// Starting lookout, storing its place with a double-click and finding it there again,
// against the built program on a virtual screen.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class Startup : public ::testing::Test {
protected:
    fs::path Settings() { return folder.Path() / "lookout.ini"; }
    TempFolder folder;
};

TEST_F(Startup, ADoubleClickChangesOnlyTheTwoValuesOfTheFileBesideTheProgramStartedThroughALink)
{
    fs::path program = InstallLookout(folder.Path() / "My Apps");
    fs::create_directories(folder.Path() / "bin");
    fs::create_symlink(program, folder.Path() / "bin" / "watcher");
    fs::path settings = folder.Path() / "My Apps" / "lookout.ini";
    WriteBytes(settings, "; mine\r\n[Other]\r\nLeft=1\r\n\r\n[tarvex blinkmor]\r\ntop = 4500\r\nSize=3\r\n\r\n[Last]\r\nx=y");
    RunningLookout lookout(SharedScreen(), folder.Path() / "bin" / "watcher");
    EXPECT_EQ(lookout.Position(), std::make_pair(0, 300)); // one key only: the other edge at 0
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(settings),
              "; mine\r\n[Other]\r\nLeft=1\r\n\r\n[tarvex blinkmor]\r\ntop =4500\r\nSize=3\r\nLeft=0\r\n\r\n[Last]\r\nx=y");
}

TEST_F(Startup, EndedFromOutsideItStoresNothing)
{
    for (int signal : {SIGTERM, SIGKILL}) {
        RunningLookout lookout(SharedScreen(), InstallLookout(folder.Path()));
        Drag(SharedScreen(), lookout, 1, {91, 100}, {30, 30});
        lookout.Signal(signal);
        EXPECT_EQ(lookout.WaitForExit(2s), 128 + signal);
        EXPECT_FALSE(fs::exists(Settings()));
    }
}

TEST_F(Startup, ASecondCopyEndsAtOnceWithoutTouchingTheSettings)
{
    WriteBytes(Settings(), "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
    fs::path program = InstallLookout(folder.Path());
    RunningLookout first(SharedScreen(), program);
    // An old access time shows whether the second copy so much as reads the file, where
    // reading a file updates it at all.
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};
    fs::path probe = folder.Path() / "probe";
    WriteBytes(probe, "x");
    utimensat(AT_FDCWD, probe.c_str(), old, 0);
    FileBytes(probe);
    struct stat probed, info;
    stat(probe.c_str(), &probed);
    utimensat(AT_FDCWD, Settings().c_str(), old, 0);

    RunningLookout second(SharedScreen(), program, WithoutWaiting());
    EXPECT_EQ(second.WaitForExit(2s), 0);
    stat(Settings().c_str(), &info);
    if (probed.st_atim.tv_sec != old[0].tv_sec) {
        EXPECT_EQ(info.st_atim.tv_sec, old[0].tv_sec);
    }
    EXPECT_EQ(info.st_mtim.tv_sec, old[0].tv_sec);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Position(), std::make_pair(200, 100));
}

TEST(WithoutADisplay, ItSaysSoInOneLineAndEndsWithStatusOne)
{
    TempFolder folder;
    Launch nowhere = WithoutWaiting();
    nowhere.display = ":31999";
    RunningLookout lookout(SharedScreen(), InstallLookout(folder.Path()), nowhere);
    EXPECT_EQ(lookout.WaitForExit(5s), 1);
    std::string message = lookout.ErrorOutput();
    EXPECT_EQ(message.find("lookout: "), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_FALSE(fs::exists(folder.Path() / "lookout.ini"));
}

} // namespace
