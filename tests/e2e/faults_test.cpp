// What lookout does when things go wrong around it: a full disk, a killed writer,
// a vanished X server, many copies at once, and settings files of every odd kind.

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <random>
#include <thread>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "running_lookout.h"
#include "winapi.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadValue(const fs::path& file, const char* key)
{
    char buffer[64] = {};
    GetPrivateProfileStringA("Tarvex Blinkmor", key, "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

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
    std::string before = "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n";
    {
        fs::path program = InstallLookout(disk);
        WriteBytes(disk / "lookout.ini", before);
        WriteBytes(disk / "filler", std::string(size, 'x')); // fills the disk up, as far as it goes
        RunningLookout lookout(SharedScreen(), program);
        EXPECT_EQ(lookout.Position(), std::make_pair(200, 100));
        SharedScreen().MovePointer(200 + 91, 100 + 100);
        SharedScreen().Button(1, true);
        SharedScreen().MovePointer(250 + 91, 150 + 100);
        Pause(100ms);
        SharedScreen().Button(1, false);
        Pause(600ms);
        DoubleClick(SharedScreen(), lookout);
        EXPECT_EQ(lookout.WaitForExit(2s), 0);
        EXPECT_EQ(FileBytes(disk / "lookout.ini"), before);
    }
    umount2(disk.c_str(), MNT_DETACH);
}

TEST_F(Faults, AWriterKilledAtAnyMomentLeavesTheOldFileOrTheNew)
{
    std::string others = "; kept\n[First]\nx=1\n\n";
    std::string oldFile = others + "[Tarvex Blinkmor]\nTop=a\n\n[Last]\ny=2\n";
    std::string newFile = others + "[Tarvex Blinkmor]\nTop=" + std::string(3000, 'b') + "\n\n[Last]\ny=2\n";
    WriteBytes(Settings(), oldFile);
    std::mt19937 random(42);
    int sawOld = 0, sawNew = 0;
    for (int kill = 0; kill < 40; ++kill) {
        pid_t writer = fork();
        if (writer == 0) {
            execl(LOOKOUT_SETTINGS_WRITER, LOOKOUT_SETTINGS_WRITER, Settings().c_str(), nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(5000 + random() % 60000));
        ::kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        std::string now = FileBytes(Settings());
        ASSERT_TRUE(now == oldFile || now == newFile) << "a torn file after kill " << kill << ":\n" << now;
        (now == oldFile ? sawOld : sawNew)++;
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST_F(Faults, ALostXServerEndsItWithOneLineAndNothingWritten)
{
    auto screen = std::make_unique<VirtualScreen>(1024, 768);
    fs::path program = InstallLookout(folder.Path());
    RunningLookout lookout(*screen, program);
    screen.reset();
    std::optional<int> status = lookout.WaitForExit(3s);
    EXPECT_EQ(status, 1); // an exit of its own, not a signal or a core dump
    std::string message = lookout.ErrorOutput();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("lookout: "), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(Settings()));
    EXPECT_FALSE(fs::exists(folder.Path() / "core"));
}

TEST_F(Faults, OfTwentyCopiesStartedTogetherOneRuns)
{
    fs::path program = InstallLookout(folder.Path());
    std::vector<std::unique_ptr<RunningLookout>> copies;
    for (int i = 0; i < 20; ++i)
        copies.push_back(std::make_unique<RunningLookout>(SharedScreen(), program, false));
    Pause(2s);
    int running = 0;
    for (auto& copy : copies) {
        std::optional<int> status = copy->WaitForExit(0ms);
        if (status)
            EXPECT_EQ(*status, 0);
        else
            ++running;
    }
    EXPECT_EQ(running, 1);
}

// An odd settings file: where lookout starts, and what a double-click leaves.
struct OddFile {
    const char* name;
    std::function<void(const fs::path&)> make;
    std::pair<int, int> position;
    bool written; // the double-click stores the values; otherwise the file stays as it was
};

class OddSettings : public Faults, public ::testing::WithParamInterface<OddFile> {};

TEST_P(OddSettings, StartUpAndDoubleClickCopeWithIt)
{
    const OddFile& odd = GetParam();
    odd.make(Settings());
    std::string before = fs::is_regular_file(Settings()) ? FileBytes(Settings()) : "";
    fs::path program = InstallLookout(folder.Path());
    RunningLookout lookout(SharedScreen(), program);
    EXPECT_EQ(lookout.Position(), odd.position);
    DoubleClick(SharedScreen(), lookout);
    EXPECT_EQ(lookout.WaitForExit(5s), 0);
    auto [left, top] = odd.position;
    if (odd.written) {
        EXPECT_EQ(ReadValue(Settings(), "Top"), std::to_string(top * 15));
        EXPECT_EQ(ReadValue(Settings(), "Left"), std::to_string(left * 15));
    } else if (fs::is_regular_file(Settings())) {
        EXPECT_EQ(FileBytes(Settings()), before);
    }
}

const std::string stored = "[Tarvex Blinkmor]\nTop=1500\nLeft=3000\n";

INSTANTIATE_TEST_SUITE_P(
    Files, OddSettings,
    ::testing::Values(
        OddFile{"Directory", [](const fs::path& file) { fs::create_directory(file); }, {420, 0}, false},
        OddFile{"DanglingLink",
                [](const fs::path& file) { fs::create_symlink(file.parent_path() / "elsewhere.ini", file); },
                {420, 0}, true},
        OddFile{"NoPermissions",
                [](const fs::path& file) {
                    WriteBytes(file, stored);
                    chmod(file.c_str(), 0);
                },
                geteuid() == 0 ? std::make_pair(200, 100) : std::make_pair(420, 0), false},
        OddFile{"FiftyMegabytes",
                [](const fs::path& file) {
                    std::string junk;
                    for (int i = 0; junk.size() < 50'000'000; ++i)
                        junk += "[Junk" + std::to_string(i) + "]\nkey=" + std::string(200, 'j') + "\n";
                    WriteBytes(file, junk + stored);
                },
                {200, 100}, true},
        OddFile{"OneMegabyteLine",
                [](const fs::path& file) {
                    WriteBytes(file, "[Tarvex Blinkmor]\nnote=" + std::string(1 << 20, 'n') + "\nTop=1500\nLeft=3000\n");
                },
                {200, 100}, true},
        OddFile{"NulBytes",
                [](const fs::path& file) {
                    WriteBytes(file, std::string("\0\1\2[Other]\n", 11) + "[Tarvex Blinkmor]\nTop=1500" +
                                         std::string("\0junk", 5) + "\nLeft=3000\n");
                },
                {200, 100}, true},
        OddFile{"ByteOrderMark", [](const fs::path& file) { WriteBytes(file, "\xEF\xBB\xBF" + stored); }, {200, 100},
                true},
        OddFile{"NoFinalNewline",
                [](const fs::path& file) { WriteBytes(file, "[Tarvex Blinkmor]\nTop=1500\nLeft=3000"); }, {200, 100},
                true}),
    [](const auto& info) { return info.param.name; });

} // namespace
