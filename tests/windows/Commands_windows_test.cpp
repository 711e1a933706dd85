// The shared environment and the settings file's values on Windows: the
// program's calls meet the system's own profile and path functions.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"

namespace fs = std::filesystem;
using namespace Commands;

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Under Wine, ntdll has a function that Windows' does not.
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH] = {};
    DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string LongName(const std::string& path)
{
    char buffer[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : path;
}

class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        // Wine numbers its processes alike in every run: a folder left by a crash may be there.
        static int count = 0;
        do
            folder = LongName(temp) + "lookout-commands-" + std::to_string(GetCurrentProcessId()) + "-" +
                     std::to_string(++count);
        while (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        file = folder + "\\lookout.ini";
    }
    void TearDown() override
    {
        std::error_code ignored;
        for (fs::recursive_directory_iterator entry(folder, ignored), end; entry != end; entry.increment(ignored))
            SetFileAttributesA(entry->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder, ignored);
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
        return ReadIni(section, key, Wide(file), L"default");
    }
    void CreateEmptyFile(const std::string& path) const { std::ofstream(path, std::ios::binary) << "x"; }

    std::string folder; // its long form, "C:\...\lookout-commands-<pid>-<n>"
    std::string file;
};

TEST_F(SettingsFolder, ValuesWrittenAreFoundInAnyLetterCase)
{
    WriteIni(L"Tarvex Blinkmor", L"Top", L"4500", Wide(file));
    WriteIni(L"Tarvex Blinkmor", L"Left", L"6300", Wide(file));
    EXPECT_EQ(FileBytes(), "[Tarvex Blinkmor]\r\nTop=4500\r\nLeft=6300\r\n");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"4500");
    EXPECT_EQ(Read(L"tarvex blinkmor", L"LEFT"), L"6300");

    WriteFile("[TARVEX blinkmor]\ntOP=1\nleft = 2 \n");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"1");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Left"), L"2");
}

TEST_F(SettingsFolder, MissingOrEmptyGivesTheDefault)
{
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"default"); // no file
    WriteFile("[Other]\r\nTop=1\r\n[Tarvex Blinkmor]\r\nTop=\r\nLeft=5\r\n");
    EXPECT_EQ(Read(L"Missing", L"Left"), L"default");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Right"), L"default");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"default");
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Left"), L"5");
}

TEST_F(SettingsFolder, LongValuesAreCutToTheirFirst2047Characters)
{
    std::string value(3000, 'x');
    value[2046] = 'y';
    value[2047] = 'z';
    WriteFile("[S]\r\nK=" + value + "\r\n");
    std::wstring read = Read(L"S", L"K");
    EXPECT_EQ(read.size(), 2047u);
    EXPECT_EQ(read.back(), L'y');
}

// Wine writes the whole file anew: its other sections, keys and comments stay, in
// their order, but without blank lines or blanks around '=', and every line ends
// in CRLF. (Our Linux store changes only the value's own bytes.)
TEST_F(SettingsFolder, AWriteChangesOnlyItsOwnValue)
{
    const std::string before =
        "; kept\r\n[First]\r\na=1\r\n\r\n[Tarvex Blinkmor]\r\nTop=1\r\nLeft=2\r\n\r\n[Last]\r\nb = 3";
    WriteFile(before);
    WriteIni(L"tarvex blinkmor", L"TOP", L"1", Wide(file));
    EXPECT_EQ(FileBytes(), before); // the value is there already: the file is not touched

    WriteIni(L"tarvex blinkmor", L"TOP", L"4500", Wide(file));
    EXPECT_EQ(FileBytes(), "; kept\r\n[First]\r\na=1\r\n[Tarvex Blinkmor]\r\nTop=4500\r\nLeft=2\r\n[Last]\r\nb=3\r\n");
}

// Wine run by root writes over read-only files, as Windows never does: run it as an ordinary user.
TEST_F(SettingsFolder, AReadOnlyFileStaysAsItWas)
{
    const std::string before = "[Tarvex Blinkmor]\r\nTop=1\r\n";
    WriteFile(before);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    WriteIni(L"Tarvex Blinkmor", L"Top", L"2", Wide(file));
    WriteIni(L"Tarvex Blinkmor", L"Left", L"3", Wide(file));
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(Read(L"Tarvex Blinkmor", L"Top"), L"1");
}

TEST_F(SettingsFolder, LongNamesOfExistingFilesAndCaseNormalisedOthers)
{
    const std::string program = folder + "\\My Apps\\Tool.exe";
    ASSERT_TRUE(CreateDirectoryA((folder + "\\My Apps").c_str(), nullptr));
    CreateEmptyFile(program);
    const std::string shortName = ShortName(program);
    ASSERT_NE(shortName, "");
    ASSERT_NE(shortName, program) << "the system gives no short (8.3) names";
    EXPECT_EQ(GetLongName(Wide(shortName)), Wide(program));

    // A missing file: the path with the capitals where a Windows user would write them.
    EXPECT_EQ(GetLongName(L"c:\\no such FOLDER\\old-stuff\\x_y(copy)\\MISSING.EXE"),
              L"C:\\No Such Folder\\Old-Stuff\\X_Y(Copy)\\Missing.exe");
    EXPECT_EQ(GetLongName(L""), L"");
}

// A short path whose long form needs more than the 260 characters the program's
// buffer holds. Windows reports the length it would need, and the program takes
// the empty text. Wine's GetLongPathNameA fails instead (ERROR_FILENAME_EXCED_RANGE),
// so there the program keeps the path it was given, case-normalised.
TEST_F(SettingsFolder, ALongFormBeyond260CharactersIsNotUsed)
{
    // Made and removed through the short names: the long ones are too long for the file calls.
    std::vector<std::string> folders{folder};
    for (std::size_t longLength = folder.size(); longLength < 300;) {
        const std::string name = "a-rather-long-folder-name-" + std::to_string(folders.size());
        ASSERT_TRUE(CreateDirectoryA((folders.back() + "\\" + name).c_str(), nullptr));
        folders.push_back(ShortName(folders.back() + "\\" + name));
        ASSERT_NE(folders.back(), "");
        longLength += name.size() + 1;
    }
    const std::string shortPath = folders.back() + "\\Tool.exe";
    CreateEmptyFile(shortPath);
    ASSERT_LT(shortPath.size(), 200u);

    if (UnderWine()) {
        char buffer[MAX_PATH];
        SetLastError(0);
        EXPECT_EQ(GetLongPathNameA(shortPath.c_str(), buffer, MAX_PATH), 0u);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_FILENAME_EXCED_RANGE});
        EXPECT_EQ(GetLongName(Wide(shortPath)), CaseNormalised(Wide(shortPath)));
    } else {
        EXPECT_EQ(GetLongName(Wide(shortPath)), L"");
    }
    DeleteFileA(shortPath.c_str());
    for (std::size_t i = folders.size() - 1; i > 0; --i)
        RemoveDirectoryA(folders[i].c_str());
}

TEST_F(SettingsFolder, TheSettingsFileLiesBesideTheProgramWithItsName)
{
    const std::string apps = folder + "\\My Apps";
    ASSERT_TRUE(CreateDirectoryA(apps.c_str(), nullptr));
    AppPath = Wide(apps) + L"\\";
    ExeName = L"LookOut";
    InitIniFile();
    EXPECT_EQ(IniSection, L"Tarvex Blinkmor");
    // No program file there: the path case-normalised, the same file on Windows.
    EXPECT_EQ(IniFile, CaseNormalised(AppPath) + L"Lookout.ini");

    // The program file is there: the long form, found from the folder's short name too.
    CreateEmptyFile(apps + "\\LookOut.exe");
    AppPath = Wide(ShortName(apps)) + L"\\";
    ASSERT_NE(AppPath, Wide(apps) + L"\\");
    InitIniFile();
    EXPECT_EQ(IniFile, Wide(apps) + L"\\LookOut.ini");
}

TEST(InitPaths, NamesThisProgramsFolderAndFile)
{
    char self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    fs::path program(self);
    InitPaths();
    EXPECT_EQ(AppPath, program.parent_path().wstring() + L"\\");
    EXPECT_EQ(ExeName, program.stem().wstring());
}

} // namespace
