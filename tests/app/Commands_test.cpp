// The shared environment and the settings file's values, in real files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "Commands.h"

namespace fs = std::filesystem;
using namespace Commands;

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/lookout-commands-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        file = folder / "lookout.ini";
    }
    void TearDown() override
    {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }

    void WriteFile(const std::string& bytes) const { std::ofstream(file, std::ios::binary) << bytes; }
    std::string FileBytes() const
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::wstring Read(const std::wstring& section, const std::wstring& key) const
    {
        return ReadIni(section, key, Wide(file.string()), L"default");
    }

    fs::path folder;
    fs::path file;
};

TEST(AddBackslash, EndsThePathInABackslashInTheCallersVariable)
{
    std::wstring empty;
    EXPECT_EQ(AddBackslash(empty), L"\\");
    EXPECT_EQ(empty, L"\\");

    std::wstring root = L"C:\\";
    EXPECT_EQ(AddBackslash(root), L"C:\\");

    std::wstring folder = L"/home/ann/bin";
    std::wstring& result = AddBackslash(folder);
    EXPECT_EQ(folder, L"/home/ann/bin\\");
    EXPECT_EQ(&result, &folder);
}

TEST(CaseNormalised, CapitalsOnlyAtTheStartAndAfterTheFiveSeparators)
{
    EXPECT_EQ(CaseNormalised(L"c:\\my files\\old-stuff\\x_y(copy)\\Tool.EXE"),
              L"C:\\My Files\\Old-Stuff\\X_Y(Copy)\\Tool.exe");
    EXPECT_EQ(CaseNormalised(L"C:\\PROGRA~1\\TOOLS\\TOOL.EXE"), L"C:\\Progra~1\\Tools\\Tool.exe");
    EXPECT_EQ(CaseNormalised(L"a"), L"A");
    EXPECT_EQ(CaseNormalised(L""), L"");
    EXPECT_EQ(CaseNormalised(L"A.B)C~D1E"), L"A.b)c~d1e");
}

TEST_F(SettingsFolder, ValuesWrittenAreFoundInAnyLetterCase)
{
    WriteIni(L"Tarvex Blinkmor", L"Top", L"4500", Wide(file.string()));
    WriteIni(L"Tarvex Blinkmor", L"Left", L"6300", Wide(file.string()));
    EXPECT_EQ(FileBytes(), "[Tarvex Blinkmor]\nTop=4500\nLeft=6300\n");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"4500");
    EXPECT_EQ(Read(L"tarvex blinkmor", L"LEFT"), L"6300");

    WriteFile("[TARVEX blinkmor]\ntOP=1\nleft = 2 \n");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"1");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Left"), L"2");
}

TEST_F(SettingsFolder, MissingOrEmptyGivesTheDefault)
{
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"default"); // no file
    WriteFile("[Other]\nTop=1\n[Tarvex Blinkmor]\nTop=\nLeft=5\n");
    EXPECT_EQ(Read(L"Missing", L"Left"), L"default");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Right"), L"default");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"default");
    EXPECT_EQ(ReadIni(L"Tarvex Blinkmor", L"Left", L"", L"default"), L"default"); // no file name
}

TEST_F(SettingsFolder, LongValuesAreCutToTheirFirst2047Characters)
{
    std::string value(3000, 'x');
    value[2046] = 'y';
    value[2047] = 'z';
    WriteFile("[S]\nK=" + value + "\n");
    std::wstring read = Read(L"S", L"K");
    EXPECT_EQ(read.size(), 2047u);
    EXPECT_EQ(read.back(), L'y');
}

TEST_F(SettingsFolder, AWriteChangesOnlyItsOwnValue)
{
    std::string before = "; kept\r\n[First]\r\na=1\r\n\r\n[Tarvex Blinkmor]\r\nTop=1\r\nLeft=2\r\n\r\n[Last]\r\nb = 3";
    WriteFile(before);
    WriteIni(L"Tarvex Blinkmor", L"Top", L"4500", Wide(file.string()));
    std::string after = before;
    after.replace(after.find("Top=1"), 5, "Top=4500");
    EXPECT_EQ(FileBytes(), after);
}

TEST_F(SettingsFolder, AReadOnlyFileOrFolderStaysAsItWas)
{
    WriteFile("[Tarvex Blinkmor]\nTop=1\n");
    chmod(file.c_str(), 0444);
    WriteIni(L"Tarvex Blinkmor", L"Top", L"2", Wide(file.string()));
    WriteIni(L"Tarvex Blinkmor", L"Left", L"3", Wide(file.string()));
    EXPECT_EQ(FileBytes(), "[Tarvex Blinkmor]\nTop=1\n");

    fs::path other = folder / "other.ini";
    chmod(folder.c_str(), 0555);
    WriteIni(L"Tarvex Blinkmor", L"Top", L"2", Wide(other.string()));
    EXPECT_FALSE(fs::exists(other));
}

TEST_F(SettingsFolder, AnEmptyFileNameWritesNothing)
{
    fs::path previous = fs::current_path();
    fs::current_path(folder);
    WriteIni(L"Tarvex Blinkmor", L"Top", L"1", L"");
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(SettingsFolder, LongNamesOfExistingFilesOnly)
{
    fs::create_directories(folder / "My Apps");
    fs::create_symlink(folder / "My Apps", folder / "link");
    std::ofstream(folder / "My Apps" / "Tool.exe") << "x";
    std::string canonical = fs::canonical(folder).string() + "/My Apps/Tool.exe";

    EXPECT_EQ(GetLongName(Wide((folder / "link").string()) + L"\\Tool.exe"), Wide(canonical));
    // A missing file keeps its path as it is: on Linux another letter case is another file.
    EXPECT_EQ(GetLongName(Wide((folder / "My Apps").string()) + L"\\Missing.EXE"),
              Wide((folder / "My Apps").string()) + L"\\Missing.EXE");
    EXPECT_EQ(GetLongName(L""), L"");

    // A long form that does not fit in 260 characters gives no text at all.
    fs::path deep = folder;
    while (deep.string().size() < 300)
        deep /= "a-rather-long-folder-name";
    fs::create_directories(deep);
    std::ofstream(deep / "Tool.exe") << "x";
    EXPECT_EQ(GetLongName(Wide((deep / "Tool.exe").string())), L"");
}

TEST_F(SettingsFolder, TheSettingsFileLiesBesideTheProgramWithItsName)
{
    fs::create_directories(folder / "My Apps");
    AppPath = Wide((folder / "My Apps").string()) + L"\\";
    ExeName = L"LookOut";
    InitIniFile();
    EXPECT_EQ(IniSection, L"Tarvex Blinkmor");
    EXPECT_EQ(IniFile, AppPath + L"LookOut.ini");

    // Where a program file "<name>.exe" is there, its long form is used.
    fs::create_symlink(folder / "My Apps", folder / "Apps Link");
    std::ofstream(folder / "My Apps" / "LookOut.exe") << "x";
    AppPath = Wide((folder / "Apps Link").string()) + L"\\";
    InitIniFile();
    EXPECT_EQ(IniFile, Wide(fs::canonical(folder).string()) + L"/My Apps/LookOut.ini");
}

TEST(InitPaths, NamesThisProgramsFolderAndFile)
{
    InitPaths();
    fs::path self = fs::canonical("/proc/self/exe");
    EXPECT_EQ(AppPath, Wide(self.parent_path().string()) + L"\\");
    EXPECT_EQ(ExeName, Wide(self.stem().string()));
}

} // namespace
