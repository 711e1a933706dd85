// What lookout does when things go wrong around it: a full disk, a vanished X server, many
// copies at once, and settings files of use only in part.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Spaced as lookout never writes it: a rewrite of the same values shows.
const std::string stored = "[Tarvex Blinkmor]\nTop = 1500\nLeft = 3000\n";

class Faults : public ::testing::Test {
protected:
    fs::path Settings() const { return folder.Path() / "lookout.ini"; }
    TempFolder folder;
};

TEST_F(Faults, AFullDiskLeavesTheSettingsAsTheyWere)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    fs::path disk = folder.Path() / "disk";
    fs::create_directories(disk);
    auto size = fs::file_size(LOOKOUT_EXECUTABLE) + 64 * 1024;
    ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", 0, ("size=" + std::to_string(size)).c_str()), 0);
    {
        fs::path program = InstallLookout(disk);
        WriteBytes(disk / "lookout.ini", stored);
        WriteBytes(disk / "filler", std::string(size, 'x')); // as far as it goes
        RunningLookout lookout(SharedScreen(), program);
        DoubleClick(SharedScreen(), lookout);
        EXPECT_EQ(lookout.WaitForExit(2s), 0);
        EXPECT_EQ(FileBytes(disk / "lookout.ini"), stored);
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), {}), 3) << "a temporary file was left";
    }
    umount2(disk.c_str(), MNT_DETACH);
}

// A copy whose picture can't be decoded: its bitmap header spoiled in the program file.
fs::path InstallWithoutPicture(const fs::path& folder)
{
    fs::path program = InstallLookout(folder);
    std::string bytes = FileBytes(program), header = FileBytes(LOOKOUT_PICTURE_BMP).substr(0, 54);
    std::size_t at = bytes.find(header);
    if (at == std::string::npos || bytes.find(header, at + 1) != std::string::npos)
        throw std::runtime_error("the picture is not in the program file once");
    bytes.replace(at, 2, "XX"); // "BM" no more
    WriteBytes(program, bytes);
    fs::permissions(program, fs::perms(0755));
    return program;
}

TEST_F(Faults, WithoutItsXServerOrItsWindowItEndsWithOneLineAndWritesNothing)
{
    auto screen = std::make_unique<VirtualScreen>();
    RunningLookout lost(*screen, InstallLookout(folder.Path() / "lost"));
    RunningLookout none(SharedScreen(), InstallLookout(folder.Path() / "none"), false, {"env", "DISPLAY=:31999"});
    RunningLookout broken(SharedScreen(), InstallWithoutPicture(folder.Path() / "broken"), false);
    // Any client may destroy any window: it ends at once, also while the pointer rests.
    RunningLookout destroyed(SharedScreen(), InstallLookout(folder.Path() / "destroyed"));
    XDestroyWindow(SharedScreen().Connection(), destroyed.TheWindow());
    XSync(SharedScreen().Connection(), False);
    screen.reset();
    for (RunningLookout* lookout : {&lost, &none, &broken, &destroyed}) {
        EXPECT_EQ(lookout->WaitForExit(5s), 1); // an exit of its own, not a signal or a core dump
        std::string message = lookout->ErrorOutput();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(message.find("lookout: "), 0u) << message;
    }
    EXPECT_NE(broken.ErrorOutput().find("not a bitmap"), std::string::npos) << broken.ErrorOutput();
    for (const char* name : {"lost", "none", "broken", "destroyed"})
        EXPECT_FALSE(fs::exists(folder.Path() / name / "lookout.ini")) << name;
}

// The one that runs is where the file says; the others end at once and leave the file untouched.
TEST_F(Faults, OfTwentyCopiesStartedTogetherOneRuns)
{
    fs::path program = InstallLookout(folder.Path());
    WriteBytes(Settings(), stored);
    std::vector<std::unique_ptr<RunningLookout>> copies;
    for (int i = 0; i < 20; ++i)
        copies.push_back(std::make_unique<RunningLookout>(SharedScreen(), program, false));
    auto ended = [&] { return std::count_if(copies.begin(), copies.end(), [](auto& copy) { return !copy->Running(); }); };
    ASSERT_TRUE(Eventually([&] { return ended() >= 19; }, 10s)) << ended() << " ended";
    for (auto& copy : copies)
        EXPECT_TRUE(copy->Running() ? copy->WaitForHead(10s) && copy->Position() == std::make_pair(200, 100)
                                    : copy->WaitForExit(0ms) == 0);
    EXPECT_EQ(ended(), 19);
    EXPECT_EQ(FileBytes(Settings()), stored);
}

// A settings file lookout can use only in part: where it starts, and what a double-click leaves.
// The program lies in a folder of that name, a lookout.exe beside it leads elsewhere, and it
// is started through a link: its settings are beside the real program all the same.
struct PartFile {
    const char* name;
    const char* folder;
    std::string before;
    std::pair<int, int> position;
    std::string after;
};

class PartSettings : public Faults, public ::testing::WithParamInterface<PartFile> {};

TEST_P(PartSettings, StartUpAndDoubleClickCopeWithIt)
{
    const fs::path home = folder.Path() / GetParam().folder, settings = home / "lookout.ini";
    fs::create_symlink(InstallLookout(home), folder.Path() / "link");
    fs::create_directory(folder.Path() / "elsewhere");
    fs::create_symlink(InstallLookout(folder.Path() / "elsewhere"), home / "lookout.exe");
    WriteBytes(settings, GetParam().before);
    RunningLookout lookout(SharedScreen(), folder.Path() / "link");
    EXPECT_EQ(lookout.Position(), GetParam().position);
    DoubleClick(SharedScreen(), lookout, {140, 100});
    EXPECT_EQ(lookout.WaitForExit(5s), 0);
    EXPECT_EQ(FileBytes(settings), GetParam().after);
    EXPECT_FALSE(fs::exists(folder.Path() / "elsewhere" / "lookout.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, PartSettings,
    ::testing::Values(// One value only: the other edge at 0, and only the two values change.
                      PartFile{"OneValue", "back\\slash", "; mine\r\n[tarvex blinkmor]\r\ntop = 4500\r\n\r\n[Last]", {0, 300},
                               "; mine\r\n[tarvex blinkmor]\r\ntop =4500\r\nLeft=0\r\n\r\n[Last]"},
                      // Beyond what X can hold (16 bits), a 32-bit integer, or a float: that edge is skipped.
                      PartFile{"BeyondX", "plain", "[Tarvex Blinkmor]\nTop=600000\nLeft=-1500\n", {-100, 0},
                               "[Tarvex Blinkmor]\nTop=0\nLeft=-1500\n"},
                      PartFile{"BeyondNumbers", "a\\b\\", "[Tarvex Blinkmor]\nTop=-1e12\nLeft=1e39\n", {0, 0},
                               "[Tarvex Blinkmor]\nTop=0\nLeft=0\n"}),
    [](const auto& info) { return info.param.name; });

} // namespace
