// Starting lookout, storing its place with a double-click and finding it there
// again, against the built program on a virtual screen.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class Startup : public ::testing::Test {
protected:
    fs::path Program() { return InstallLookout(folder.Path()); }
    fs::path Settings() { return folder.Path() / "lookout.ini"; }

    void DragBy(RunningLookout& lookout, int dx, int dy)
    {
        auto [left, top] = lookout.Position();
        SharedScreen().MovePointer(left + 91, top + 100);
        SharedScreen().Button(1, true);
        for (int step = 1; step <= 5; ++step) {
            SharedScreen().MovePointer(left + 91 + dx * step / 5, top + 100 + dy * step / 5);
            Pause(20ms);
        }
        Pause(100ms);
        SharedScreen().Button(1, false);
        Pause(600ms); // the next press is no double-click
    }

    TempFolder folder;
};

TEST_F(Startup, TheFirstStartIsCentredAtTheTopAndWritesNothing)
{
    RunningLookout lookout(SharedScreen(), Program());
    EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
    Pause(300ms);
    EXPECT_FALSE(fs::exists(Settings()));
}

TEST_F(Startup, ADoubleClickStoresThePlaceWhereTheNextStartPutsIt)
{
    {
        RunningLookout lookout(SharedScreen(), Program());
        DragBy(lookout, 80, 150);
        EXPECT_EQ(lookout.Position(), std::make_pair(500, 150));
        DoubleClick(SharedScreen(), lookout);
        EXPECT_EQ(lookout.WaitForExit(2s), 0);
    }
    EXPECT_EQ(FileBytes(Settings()), "[Tarvex Blinkmor]\nTop=2250\nLeft=7500\n");

    RunningLookout again(SharedScreen(), Program());
    EXPECT_EQ(again.Position(), std::make_pair(500, 150));
    DoubleClick(SharedScreen(), again);
    EXPECT_EQ(again.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(Settings()), "[Tarvex Blinkmor]\nTop=2250\nLeft=7500\n");
}

TEST_F(Startup, ADoubleClickChangesOnlyTheTwoValues)
{
    std::string before = "; my settings\r\n[Other]\r\nTop=1\r\n\r\n[tarvex blinkmor]\r\nleft = 15\r\nSize=3\r\n\r\n[Last]\r\nx=y";
    WriteBytes(Settings(), before);
    RunningLookout lookout(SharedScreen(), Program());
    EXPECT_EQ(lookout.Position(), std::make_pair(1, 0));
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(Settings()),
              "; my settings\r\n[Other]\r\nTop=1\r\n\r\n[tarvex blinkmor]\r\nleft =15\r\nSize=3\r\nTop=0\r\n\r\n[Last]\r\nx=y");
}

TEST_F(Startup, AReadOnlySettingsFileStaysAsItWas)
{
    WriteBytes(Settings(), "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
    chmod(Settings().c_str(), 0444);
    RunningLookout lookout(SharedScreen(), Program());
    DragBy(lookout, 50, 50);
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(Settings()), "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
}

TEST_F(Startup, EndedFromOutsideItStoresNothing)
{
    for (int signal : {SIGTERM, SIGKILL}) {
        RunningLookout lookout(SharedScreen(), Program());
        DragBy(lookout, 30, 30);
        lookout.Signal(signal);
        EXPECT_TRUE(lookout.WaitForExit(2s));
        EXPECT_FALSE(fs::exists(Settings()));
    }
}

TEST_F(Startup, ASecondCopyEndsAtOnceWithoutTouchingTheSettings)
{
    WriteBytes(Settings(), "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n");
    fs::path program = Program();
    RunningLookout first(SharedScreen(), program);
    // An old access time shows whether the second copy so much as reads the file.
    timespec old[2] = {{946684800, 0}, {946684800, 0}};
    // Only where reading a file updates its access time can that show anything.
    fs::path probe = folder.Path() / "probe";
    WriteBytes(probe, "x");
    utimensat(AT_FDCWD, probe.c_str(), old, 0);
    FileBytes(probe);
    struct stat probed;
    stat(probe.c_str(), &probed);
    bool readsShow = probed.st_atim.tv_sec != 946684800;
    utimensat(AT_FDCWD, Settings().c_str(), old, 0);

    RunningLookout second(SharedScreen(), program, false);
    EXPECT_EQ(second.WaitForExit(2s), 0);
    struct stat info;
    stat(Settings().c_str(), &info);
    if (readsShow) {
        EXPECT_EQ(info.st_atim.tv_sec, 946684800);
    }
    EXPECT_EQ(info.st_mtim.tv_sec, 946684800);
    EXPECT_FALSE(first.WaitForExit(0ms));
    EXPECT_EQ(first.Position(), std::make_pair(200, 100));
}

TEST_F(Startup, TheSettingsLieBesideTheProgramFileEvenWhenStartedThroughALink)
{
    fs::path program = InstallLookout(folder.Path() / "My Apps");
    fs::create_directories(folder.Path() / "bin");
    fs::create_symlink(program, folder.Path() / "bin" / "watcher");
    RunningLookout lookout(SharedScreen(), folder.Path() / "bin" / "watcher");
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(2s), 0);
    EXPECT_EQ(FileBytes(folder.Path() / "My Apps" / "lookout.ini"), "[Tarvex Blinkmor]\nTop=0\nLeft=6300\n");
}

struct Placement {
    const char* settings;
    std::pair<int, int> position;
};

class Placing : public Startup, public ::testing::WithParamInterface<Placement> {};

TEST_P(Placing, TheStoredTextsGiveThePosition)
{
    WriteBytes(Settings(), GetParam().settings);
    RunningLookout lookout(SharedScreen(), Program());
    EXPECT_EQ(lookout.Position(), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Placing,
    ::testing::Values(Placement{"[Tarvex Blinkmor]\nTop=\nLeft=\n", {420, 0}},           // both empty: the default
                      Placement{"[Tarvex Blinkmor]\nTop=4500\n", {0, 300}},              // only Top
                      Placement{"[Tarvex Blinkmor]\nLeft=1500\n", {100, 0}},             // only Left
                      Placement{"[Tarvex Blinkmor]\nTop=abc\nLeft=\n", {0, 0}},          // letters
                      Placement{"[TARVEX BLINKMOR]\n top = 15 00 \nLEFT=-300px\n", {-20, 100}},
                      Placement{"[Tarvex Blinkmor]\nTop=4.5E3\nLeft=450000\n", {30000, 300}},
                      // Beyond what X can hold (16 bits) or a number at all: that edge is skipped.
                      Placement{"[Tarvex Blinkmor]\nTop=600000\nLeft=-1500\n", {-100, 0}},
                      Placement{"[Tarvex Blinkmor]\nTop=1e400\nLeft=1500\n", {100, 0}}));

TEST(WithoutADisplay, ItSaysSoInOneLineAndEndsWithStatusOne)
{
    TempFolder folder;
    fs::path program = InstallLookout(folder.Path());
    fs::path errors = folder.Path() / "errors";
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", ":31999", 1);
        int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string message = FileBytes(errors);
    EXPECT_EQ(message.find("lookout: "), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_FALSE(fs::exists(folder.Path() / "lookout.ini"));
}

} // namespace
