// Our Linux settings store against Wine's profile calls: from the same generated
// files, the same writes and reads give the same reads, and files that are the same
// once laid out as Wine writes them (Wine rewrites a changed file whole: CRLF line
// ends, no blank lines, no blanks around names, values and '=').
//
// Runs on Linux; needs wine and the Windows probe (LOOKOUT_PROFILE_PROBE).

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "winapi.h"

namespace {

namespace fs = std::filesystem;

struct Operation {
    bool write;
    std::string section, key, value;
};

struct Case {
    std::string start; // empty: no file at first
    std::vector<Operation> operations;
};

const std::vector<std::string> sections = {"Tarvex Blinkmor", "Window", "Colors"};
const std::vector<std::string> keys = {"Top", "Left", "Title"};

// Files as people edit them, and writes and reads as the program makes them.
class CaseMaker {
public:
    Case Make()
    {
        Case made;
        for (std::size_t s = 0, count = Below(5); s < count; ++s) {
            made.start += Blanks() + "[" + Blanks() + MixedCase(Pick(sections)) + Blanks() + "]" + LineEnd();
            for (std::size_t k = 0, lines = Below(6); k < lines; ++k)
                made.start += Line() + LineEnd();
        }
        if (Below(4) == 0)
            made.start.erase(made.start.find_last_not_of("\r\n") + 1); // no line end at the end
        for (std::size_t i = 0, count = 1 + Below(5); i < count; ++i)
            made.operations.push_back({true, Name(), MixedCase(Pick(keys)), Written()});
        for (const std::string& section : sections)
            for (const std::string& key : keys)
                made.operations.push_back({false, MixedCase(section), MixedCase(key), ""});
        return made;
    }

private:
    std::size_t Below(std::size_t n) { return random_() % n; }
    std::string Pick(const std::vector<std::string>& from) { return from[Below(from.size())]; }
    std::string MixedCase(std::string name)
    {
        for (char& c : name)
            if (Below(2) && std::isalpha(static_cast<unsigned char>(c)))
                c ^= 0x20;
        return name;
    }
    std::string Name() { return Below(8) ? MixedCase(Pick(sections)) : "New Section"; }
    std::string Blanks() { return Pick({"", "", " ", "\t", " \t "}); }
    std::string LineEnd() { return Below(3) ? "\r\n" : "\n"; }
    std::string Long() { return std::string(2990 + Below(20), 'x') + "end"; }
    std::string Number() { return std::to_string(static_cast<int>(Below(20000)) - 5000); }

    // Wine keeps blanks at a written value's end until it next reads the file: none here.
    std::string Written() { return Pick({"", " spaced out", Long(), Number(), Number()}); }

    std::string Line()
    {
        switch (Below(8)) {
        case 0: return Pick({"; a note", ";Top=9", ""});
        case 1: return "Remark"; // a name without '=' that the program never asks for
        default:
            return Blanks() + MixedCase(Pick(keys)) + Blanks() + "=" + Blanks() +
                   Pick({"", "\"  quoted  \"", "'single'", Long(), "a=b", Number()}) + Blanks();
        }
    }

    std::mt19937 random_{20240611};
};

std::string Bytes(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

std::string Trim(const std::string& s)
{
    std::size_t begin = s.find_first_not_of(" \t\r"), end = s.find_last_not_of(" \t\r");
    return begin == std::string::npos ? "" : s.substr(begin, end - begin + 1);
}

// A file as Wine writes it anew.
std::string WineLayout(const std::string& text)
{
    std::string laidOut;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (std::size_t equals = line.find('='); !line.starts_with('[') && equals != std::string::npos)
            line = Trim(line.substr(0, equals)) + "=" + Trim(line.substr(equals + 1));
        else if (line.starts_with('[') && line.ends_with(']'))
            line = "[" + Trim(line.substr(1, line.size() - 2)) + "]";
        if (!line.empty())
            laidOut += line + "\r\n";
    }
    return laidOut;
}

std::string WindowsPath(const fs::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

TEST(ProfileDifferential, OurStoreReadsAndWritesAsWinesDoes)
{
    const char* probe = std::getenv("LOOKOUT_PROFILE_PROBE");
    ASSERT_NE(probe, nullptr) << "LOOKOUT_PROFILE_PROBE names no probe program";
    char name[] = "/tmp/lookout-profile-diff-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    const fs::path folder = name;
    fs::create_directories(folder / "wine");
    fs::create_directories(folder / "ours");

    CaseMaker maker;
    std::vector<Case> cases(250);
    std::ofstream operations(folder / "operations.txt", std::ios::binary);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cases[i] = maker.Make();
        const std::string file = "case" + std::to_string(i) + ".ini";
        for (const char* side : {"wine", "ours"})
            if (!cases[i].start.empty())
                std::ofstream(folder / side / file, std::ios::binary) << cases[i].start;
        for (const Operation& op : cases[i].operations)
            operations << (op.write ? "W\t" : "R\t") << WindowsPath(folder / "wine" / file) << '\t' << op.section
                       << '\t' << op.key << (op.write ? "\t" + op.value : "") << '\n';
    }
    operations.close();
    const std::string command = "wine '" + std::string(probe) + "' '" + WindowsPath(folder / "operations.txt") +
                                "' '" + WindowsPath(folder / "results.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream wineReads(folder / "results.txt", std::ios::binary);
    int failures = 0;
    for (std::size_t i = 0; i < cases.size() && failures < 3; ++i) {
        const fs::path ours = folder / "ours" / ("case" + std::to_string(i) + ".ini");
        const fs::path wines = folder / "wine" / ("case" + std::to_string(i) + ".ini");
        for (const Operation& op : cases[i].operations) {
            if (op.write) {
                WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.value.c_str(), ours.c_str());
                continue;
            }
            char buffer[2048];
            DWORD count = GetPrivateProfileStringA(op.section.c_str(), op.key.c_str(), "", buffer, sizeof buffer,
                                                   ours.c_str());
            std::string wine;
            std::getline(wineReads, wine);
            failures += std::string(buffer, count) != wine;
            EXPECT_EQ(std::string(buffer, count), wine)
                << "case " << i << ", [" << op.section << "] " << op.key << ", starting file:\n" << cases[i].start;
        }
        failures += WineLayout(Bytes(ours)) != WineLayout(Bytes(wines));
        EXPECT_EQ(WineLayout(Bytes(ours)), WineLayout(Bytes(wines))) << "case " << i << ", starting file:\n"
                                                                     << cases[i].start;
    }
    fs::remove_all(folder);
}

} // namespace
