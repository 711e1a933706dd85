// The settings store: what GetPrivateProfileStringA finds in a hand-edited file,
// and that WritePrivateProfileStringA changes only what it was asked to.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "winapi.h"

namespace {

namespace fs = std::filesystem;

class ProfileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lookout-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        file_ = Path("lookout.ini");
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    static void WriteBytes(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string ReadBytes(const std::string& path)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    static struct stat Stat(const std::string& path)
    {
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
        return info;
    }

    static std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        return names;
    }

    // What the program gets back, checked to be as long as the count says.
    static std::string Read(const char* section, const char* key, const std::string& path,
                            const char* defaultValue = "", DWORD length = 2048)
    {
        std::vector<char> buffer(length + 1, '#');
        DWORD count = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), length,
                                               path.c_str());
        EXPECT_LT(count, length);
        EXPECT_EQ(buffer[count], '\0');
        return std::string(buffer.data(), count);
    }

    std::string Read(const char* section, const char* key) const { return Read(section, key, file_); }

    BOOL Write(const char* section, const char* key, const char* value) const
    {
        return WritePrivateProfileStringA(section, key, value, file_.c_str());
    }

    std::string folder_;
    std::string file_;
};

TEST_F(ProfileTest, FindsNamesInAnyCaseAndIgnoresBlanks)
{
    WriteBytes(file_, "top=before any section\n"
                      "[ Window ]\r\n"
                      "  Top\t=  12 \r\n"
                      ";left=commented out\n"
                      "left\n"
                      "Title=\"  quoted  \"\n"
                      "Name='single'\n"
                      "empty=\n"
                      "TOP=second\n"
                      "[window]\n"
                      "left=in the second one\n"
                      "[Other]\r\n"
                      "left=3\r");
    EXPECT_EQ(Read("WINDOW", "top"), "12");
    EXPECT_EQ(Read("window", "TITLE"), "  quoted  ");
    EXPECT_EQ(Read("window", "name"), "single");
    EXPECT_EQ(Read("window", "left"), "");
    EXPECT_EQ(Read("window", ";left"), "");
    EXPECT_EQ(Read("window", "empty"), "");
    EXPECT_EQ(Read("other", "Left"), "3");
}

TEST_F(ProfileTest, MissingThingsGiveTheDefault)
{
    EXPECT_EQ(Read("Window", "Top"), "");
    EXPECT_EQ(Read("Window", "Top", file_, "fallback \t"), "fallback");
    EXPECT_EQ(Read("Window", "Top", file_, "fallback", 4), "fal");

    WriteBytes(file_, "[Window]\nTop=1\n");
    EXPECT_EQ(Read("Window", "Left", file_, "none"), "none");
    EXPECT_EQ(Read("Door", "Top", file_, "none"), "none");
    EXPECT_EQ(Read(nullptr, "Top", file_, "none"), "none");
    EXPECT_EQ(Read("Window", nullptr, file_, "none"), "none");
    EXPECT_EQ(Read("Window", "Top", "", "none"), "none");
    EXPECT_EQ(GetPrivateProfileStringA("Window", "Top", "none", nullptr, 10, file_.c_str()), 0u);

    ASSERT_EQ(mkdir(Path("folder.ini").c_str(), 0700), 0);
    EXPECT_EQ(Read("Window", "Top", Path("folder.ini"), "none"), "none");
    ASSERT_EQ(mkfifo(Path("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(Read("Window", "Top", Path("fifo.ini"), "none"), "none");
}

TEST_F(ProfileTest, WritingCreatesTheFileSectionAndKey)
{
    mode_t previous = umask(027);
    EXPECT_TRUE(Write("Window", "Top", "10"));
    umask(previous);
    EXPECT_EQ(ReadBytes(file_), "[Window]\nTop=10\n");
    EXPECT_EQ(Stat(file_).st_mode & 07777, 0640u);

    EXPECT_TRUE(Write("window", "Left", "20"));
    EXPECT_TRUE(Write("Colors", "Eye", "white"));
    EXPECT_EQ(ReadBytes(file_), "[Window]\nTop=10\nLeft=20\n[Colors]\nEye=white\n");
    EXPECT_EQ(Read("Window", "Left"), "20");
}

TEST_F(ProfileTest, ReplacesAValueWhereItStands)
{
    WriteBytes(file_, "[a]\r\n  Top = 1  \r\n; note\r\ntop=2\r\nleft=3");
    EXPECT_TRUE(Write("A", "TOP", "7"));
    EXPECT_TRUE(Write("a", "left", "8"));
    EXPECT_EQ(ReadBytes(file_), "[a]\r\n  Top =7\r\n; note\r\ntop=2\r\nleft=8");
}

TEST_F(ProfileTest, NewKeysGoAtTheEndOfTheirSection)
{
    WriteBytes(file_, "; settings\n[a]\nx=1\n; about b\n\n  \n[b]\r\ny=2");
    EXPECT_TRUE(Write("a", "z", "3"));
    EXPECT_TRUE(Write("b", "w", "4"));
    EXPECT_EQ(ReadBytes(file_), "; settings\n[a]\nx=1\n; about b\nz=3\n\n  \n[b]\r\ny=2\nw=4\n");

    WriteBytes(file_, "[a]\r\nx=1\r\n");
    EXPECT_TRUE(Write("c", "k", "v"));
    EXPECT_EQ(ReadBytes(file_), "[a]\r\nx=1\r\n[c]\r\nk=v\r\n");

    WriteBytes(file_, "[a]");
    EXPECT_TRUE(Write("a", "k", "v"));
    EXPECT_EQ(ReadBytes(file_), "[a]\nk=v\n");

    WriteBytes(file_, "[a]\nx=1");
    EXPECT_TRUE(Write("c", "k", "v"));
    EXPECT_EQ(ReadBytes(file_), "[a]\nx=1\n[c]\nk=v\n");
}

TEST_F(ProfileTest, RemovesKeysAndSections)
{
    const std::string text = "[a]\nx=1\ny=2\n\n[b]\nz=3\n";
    WriteBytes(file_, text);
    EXPECT_TRUE(Write("a", "missing", nullptr));
    EXPECT_TRUE(Write("missing", nullptr, nullptr));
    EXPECT_EQ(ReadBytes(file_), text);

    EXPECT_TRUE(Write("A", "X", nullptr));
    EXPECT_EQ(ReadBytes(file_), "[a]\ny=2\n\n[b]\nz=3\n");
    EXPECT_TRUE(Write("a", nullptr, nullptr));
    EXPECT_EQ(ReadBytes(file_), "[b]\nz=3\n");
}

TEST_F(ProfileTest, RefusesWhatWouldBreakTheFile)
{
    const std::string text = "[a]\nx=1\n";
    WriteBytes(file_, text);
    EXPECT_FALSE(Write("a", "x", "2\n[b]"));
    EXPECT_FALSE(Write("a", "x=y", "2"));
    EXPECT_FALSE(Write("a]", "x", "2"));
    EXPECT_FALSE(Write("a", " ;x", "2"));
    EXPECT_FALSE(Write("a", "[x", "2"));
    EXPECT_FALSE(Write(nullptr, "x", "2"));
    EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "2", ""));
    EXPECT_EQ(ReadBytes(file_), text);
}

// As root too: a file or folder without write bits is read-only to us.
TEST_F(ProfileTest, KeepsLinksPermissionsAndOwner)
{
    ASSERT_EQ(mkdir(Path("real").c_str(), 0700), 0);
    const std::string target = Path("real/target.ini");
    WriteBytes(target, "[a]\nx=1\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real/target.ini", file_.c_str()), 0);
    const bool root = geteuid() == 0; // only root can give the file to someone else
    if (root) {
        ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    }

    EXPECT_TRUE(Write("a", "x", "2"));
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(fs::read_symlink(file_), "real/target.ini");
    EXPECT_EQ(ReadBytes(target), "[a]\nx=2\n");
    EXPECT_EQ(Stat(target).st_mode & 07777, 0640u);
    EXPECT_EQ(Stat(target).st_uid, root ? 65534u : geteuid());
    EXPECT_EQ(Names(Path("real")), std::vector<std::string>{"target.ini"});

    const std::string dangling = Path("dangling.ini");
    ASSERT_EQ(symlink("real/new.ini", dangling.c_str()), 0);
    EXPECT_TRUE(WritePrivateProfileStringA("a", "x", "3", dangling.c_str()));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(Path("real/new.ini")), "[a]\nx=3\n");
}

TEST_F(ProfileTest, OnlyRegularFilesAreWritten)
{
    ASSERT_EQ(mkdir(file_.c_str(), 0700), 0);
    EXPECT_FALSE(Write("a", "x", "1"));
    EXPECT_TRUE(fs::is_directory(file_));
    EXPECT_TRUE(fs::is_empty(file_));

    const std::string fifo = Path("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "1", fifo.c_str()));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(ProfileTest, AFailedWriteLeavesTheFileAsItWas)
{
    const std::string text = "[a]\nx=1\n";
    WriteBytes(file_, text);

    // The file size limit makes the temporary file's write fail part way.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    BOOL written = Write("a", "x", std::string(1000, 'v').c_str());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(file_), text);
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"lookout.ini"});
}

TEST_F(ProfileTest, HandEditedFilesAreReadWhole)
{
    WriteBytes(file_, "\xEF\xBB\xBF[a]\nx=1\n");
    EXPECT_EQ(Read("a", "x"), "1");
    EXPECT_TRUE(Write("a", "x", "2"));
    EXPECT_EQ(ReadBytes(file_), "\xEF\xBB\xBF[a]\nx=2\n");

    WriteBytes(file_, std::string("[a]\nx=\0\0\n[b]\ny=after\n", 21));
    EXPECT_EQ(Read("b", "y"), "after");
    EXPECT_EQ(Read("a", "x"), std::string("\0\0", 2));

    const std::string line(1 << 20, 'x');
    WriteBytes(file_, "[a]\nlong=" + line + "\ny=1\n" + line);
    EXPECT_EQ(Read("a", "long"), std::string(2047, 'x'));
    EXPECT_EQ(Read("a", "y"), "1");

    std::string huge;
    for (int i = 0; huge.size() < (50 << 20); ++i)
        huge += "[s" + std::to_string(i) + "]\nkey=" + std::string(100, 'v') + "\n\n";
    WriteBytes(file_, huge + "[last]\nkey=found\n");
    EXPECT_EQ(Read("LAST", "key"), "found");
    EXPECT_TRUE(Write("last", "more", "1"));
    EXPECT_EQ(Read("last", "more"), "1");
}

} // namespace
