// The settings store, in real files, through ReadIni and WriteIni.

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "Commands.h"
#include "temp_folder.h"

namespace fs = std::filesystem;
using namespace Commands;

namespace {

class Settings : public ::testing::Test {
protected:
    std::wstring Read(const std::wstring& section, const std::wstring& key) { return ReadIni(section, key, file, L"default"); }
    void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) { WriteIni(section, key, value, file); }
    std::size_t FilesIn(const fs::path& path) { return std::distance(fs::directory_iterator(path), {}); }

    TempFolder temp;
    fs::path folder = temp.Path();
    std::wstring file = (folder / "lookout.ini").wstring();
};

// What the comparison with Windows' calls leaves out: no file, a FIFO that must not hang,
// a byte-order mark, lone CRs, and a line far beyond the buffer.
TEST_F(Settings, OddFilesReadAsWindowsReadsThem)
{
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"default");
    EXPECT_EQ(ReadIni(L"Tarvex Blinkmor", L"Left", L"", L"default"), L"default");
    ASSERT_EQ(mkfifo((folder / "lookout.ini").c_str(), 0600), 0);
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Left"), L"default");
    fs::remove(file);

    const std::string line(1 << 20, 'x');
    WriteBytes(file, "\xEF\xBB\xBFtop=before any section\n[ TARVEX blinkmor ]\r\n  tOP\t=  12 \r\nSplit=1\r2\nempty=\nK=" + line + "\nNext=1\r");
    const wchar_t* cases[][2] = {{L"Top", L"12"}, {L"Split", L"1"}, {L"Empty", L"default"}, {L"Next", L"1"}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(Read(L"Tarvex Blinkmor", key), value) << key;
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"K"), std::wstring(2047, L'x'));
}

TEST_F(Settings, WritesCreateWhatIsMissingAndChangeOnlyTheirOwnValue)
{
    mode_t previous = umask(027);
    Write(L"Tarvex Blinkmor", L"Top", L"4500");
    umask(previous);
    Write(L"tarvex blinkmor", L"Left", L"6300");
    EXPECT_EQ(FileBytes(file), "[Tarvex Blinkmor]\nTop=4500\nLeft=6300\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640)); // as the umask of the first write asked

    const struct {
        std::string before, section, key, after;
    } cases[] = {
        // Replaced where it stands, in the first key of the first section of that name.
        {"; kept\r\n[a]\r\n  Top = 1  \r\ntop=2\r\n\r\n[Last]\r\nb = 3", "A", "TOP",
         "; kept\r\n[a]\r\n  Top =7\r\ntop=2\r\n\r\n[Last]\r\nb = 3"},
        // A new key goes after the section's last line that is not blank, ending as the file's lines do.
        {"[a]\r\nx=1\r\n; about b\r\n\r\n[b]\r\ny=2", "a", "k", "[a]\r\nx=1\r\n; about b\r\nk=7\r\n\r\n[b]\r\ny=2"},
        {"[a]\nx=1\n[b]\ny=2", "b", "k", "[a]\nx=1\n[b]\ny=2\nk=7\n"},
        // A last line ending in a lone carriage return keeps it as its line end.
        {"[a]\r\nx=1\r", "c", "k", "[a]\r\nx=1\r\n[c]\r\nk=7\r\n"},
        {"\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "\xEF\xBB\xBF[a]\nk=7\n"},
    };
    for (const auto& c : cases) {
        WriteBytes(file, c.before);
        Write(fs::path(c.section).wstring(), fs::path(c.key).wstring(), L"7");
        EXPECT_EQ(FileBytes(file), c.after) << c.before;
    }
}

TEST_F(Settings, WritesGoThroughLinksAndKeepPermissionsAndOwner)
{
    fs::create_symlink("dangling.ini", file); // the file is made where the link points
    Write(L"a", L"x", L"1");
    EXPECT_EQ(FileBytes(folder / "dangling.ini"), "[a]\nx=1\n");
    fs::remove(file);

    fs::create_directory(folder / "real");
    const fs::path target = folder / "real" / "target.ini";
    WriteBytes(target, "[a]\nx=1\n");
    fs::permissions(target, fs::perms(0640));
    fs::create_symlink("real/target.ini", file);
    const bool root = geteuid() == 0; // only root can give the file to someone else
    ASSERT_TRUE(!root || chown(target.c_str(), 65534, 65534) == 0);

    Write(L"a", L"x", L"2");
    EXPECT_EQ(fs::read_symlink(file), "real/target.ini");
    EXPECT_EQ(FileBytes(target), "[a]\nx=2\n");
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_uid, root ? 65534u : geteuid());
    EXPECT_EQ(FilesIn(folder / "real"), 1u);
}

// What can't be written so that it reads back, what is read-only (to root too: no write
// bits means read-only on purpose), a folder, and a folder that can't be written to leave everything as it was.
TEST_F(Settings, WritesThatCannotBeDoneLeaveEverythingAsItWas)
{
    WriteBytes(file, "[a]\nx=1\n");
    Write(L"a", L"x", L"2\n[b]=3"); // the fuzzer checks which texts can be stored
    fs::permissions(file, fs::perms(0444));
    Write(L"a", L"x", L"2");
    EXPECT_EQ(FileBytes(file), "[a]\nx=1\n");

    fs::create_directory(folder / "folder.ini");
    WriteIni(L"a", L"x", L"2", (folder / "folder.ini").wstring());
    EXPECT_TRUE(fs::is_empty(folder / "folder.ini"));
    chmod(folder.c_str(), 0555);
    WriteIni(L"a", L"x", L"2", (folder / "other.ini").wstring());
    chmod(folder.c_str(), 0755); // for the folder's removal
    fs::path current = fs::current_path();
    fs::current_path(folder);
    WriteIni(L"a", L"x", L"1", L""); // no file name: nothing written, not even in the current folder
    fs::current_path(current);
    EXPECT_EQ(FilesIn(folder), 2u);
}

} // namespace
