// Our Linux settings store against Wine's profile calls: from the same generated
// files, the same writes and reads give the same reads, and files that are the same
// once laid out as Wine writes them (Wine rewrites a changed file whole: CRLF line
// ends, no blank lines, no blanks around names, values and '=').
//
// Runs on Linux; needs wine and the Windows probe (LOOKOUT_PROFILE_PROBE).

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
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

// Files as people edit them, and writes and reads as the program makes them.
class CaseMaker {
public:
    std::string File()
    {
        std::string file;
        for (std::size_t s = 0, count = Below(5); s < count; ++s) {
            file += Blanks() + "[" + Blanks() + MixedCase(Pick(sections)) + Blanks() + "]" + LineEnd();
            for (std::size_t k = 0, lines = Below(6); k < lines; ++k)
                file += Line() + LineEnd();
        }
        if (Below(4) == 0)
            file.erase(file.find_last_not_of("\r\n") + 1); // no line end at the end
        return file;
    }
    std::vector<Operation> Operations()
    {
        std::vector<Operation> operations;
        for (std::size_t i = 0, count = 1 + Below(5); i < count; ++i) // Wine keeps blanks at a written value's end
            operations.push_back({true, Below(8) ? MixedCase(Pick(sections)) : "New Section", MixedCase(Pick(keys)),
                                  Pick({"", " spaced out", Long(), Number()})}); // until it next reads: none here
        for (const std::string& section : sections)
            for (const std::string& key : keys)
                operations.push_back({false, MixedCase(section), MixedCase(key), ""});
        return operations;
    }

private:
    std::size_t Below(std::size_t n) { return random_() % n; }
    std::string Pick(const std::vector<std::string>& from) { return from[Below(from.size())]; }
    std::string MixedCase(std::string name)
    {
        for (char& c : name)
            c ^= Below(2) && std::isalpha(static_cast<unsigned char>(c)) ? 0x20 : 0;
        return name;
    }
    std::string Blanks() { return Pick({"", "", " ", "\t", " \t "}); }
    std::string LineEnd() { return Below(3) ? "\r\n" : "\n"; }
    std::string Long() { return std::string(2990 + Below(20), 'x') + "end"; }
    std::string Number() { return std::to_string(static_cast<int>(Below(20000)) - 5000); }
    std::string Line()
    {
        if (Below(8) == 0)
            return Pick({"; a note", ";Top=9", "", "Remark"}); // a name without '=' the program never asks for
        return Blanks() + MixedCase(Pick(keys)) + Blanks() + "=" + Blanks() +
               Pick({"", "\"  quoted  \"", "'single'", Long(), "a=b", Number()}) + Blanks();
    }

    const std::vector<std::string> sections = {"Tarvex Blinkmor", "Window", "Colors"};
    const std::vector<std::string> keys = {"Top", "Left", "Title"};
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

std::string WindowsPath(fs::path path)
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
    std::vector<std::string> files(250);
    std::vector<std::vector<Operation>> operations(files.size());
    std::ofstream list(folder / "operations.txt", std::ios::binary);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i] = maker.File();
        operations[i] = maker.Operations();
        const std::string file = "case" + std::to_string(i) + ".ini";
        for (const char* side : {"wine", "ours"})
            if (!files[i].empty()) // else no file at first
                std::ofstream(folder / side / file, std::ios::binary) << files[i];
        for (const Operation& op : operations[i])
            list << (op.write ? "W\t" : "R\t") << WindowsPath(folder / "wine" / file) << '\t' << op.section << '\t'
                 << op.key << (op.write ? "\t" + op.value : "") << '\n';
    }
    list.close();
    const std::string command = "wine '" + std::string(probe) + "' '" + WindowsPath(folder / "operations.txt") +
                                "' '" + WindowsPath(folder / "results.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream wineReads(folder / "results.txt", std::ios::binary);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string ours = folder / "ours" / ("case" + std::to_string(i) + ".ini");
        for (const Operation& op : operations[i]) {
            if (op.write) {
                WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.value.c_str(), ours.c_str());
                continue;
            }
            char buffer[2048];
            DWORD count = GetPrivateProfileStringA(op.section.c_str(), op.key.c_str(), "", buffer, sizeof buffer,
                                                   ours.c_str());
            std::string wine;
            ASSERT_TRUE(std::getline(wineReads, wine)) << "the probe gave fewer reads than asked";
            ASSERT_EQ(std::string(buffer, count), wine)
                << "case " << i << ", [" << op.section << "] " << op.key << ", starting file:\n" << files[i];
        }
        ASSERT_EQ(WineLayout(Bytes(ours)), WineLayout(Bytes(folder / "wine" / ("case" + std::to_string(i) + ".ini"))))
            << "case " << i << ", starting file:\n" << files[i];
    }
    fs::remove_all(folder);
}

} // namespace
