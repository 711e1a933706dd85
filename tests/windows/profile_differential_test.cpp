// Our Linux settings store against Wine's profile calls (through LOOKOUT_PROFILE_PROBE): from the
// same generated files, the same writes followed by reads of every name give the same reads.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "temp_folder.h"
#include "winapi.h"

namespace {

namespace fs = std::filesystem;

std::mt19937 random_{20240611};
std::string Pick(const std::vector<std::string>& from) { return from[random_() % from.size()]; }
std::string MixedCase(std::string name)
{
    for (char& c : name)
        c ^= random_() % 2 && std::isalpha(static_cast<unsigned char>(c)) ? 0x20 : 0;
    return name;
}
const std::vector<std::string> sections = {"Tarvex Blinkmor", "Window", "Colors", "Other"}, keys = {"Top", "Left", "Title"};
const std::vector<std::string> blanks = {"", "", " ", "\t", " \t "}, lineEnds = {"\r\n", "\r\n", "\n"};
std::string Value() { return Pick({"", "\"  quoted  \"", "a=b", std::string(2990 + random_() % 20, 'x') + "end",
                                   std::to_string(int(random_() % 20000) - 5000)}); }

// A file as people edit it: blanks anywhere, comments, notes without '=', mixed line ends.
std::string File()
{
    std::string file;
    for (int s = random_() % 5; s > 0; --s) {
        file += Pick(blanks) + "[" + Pick(blanks) + MixedCase(Pick(sections)) + Pick(blanks) + "]" + Pick(lineEnds);
        for (int k = random_() % 6; k > 0; --k)
            file += (random_() % 8 ? Pick(blanks) + MixedCase(Pick(keys)) + Pick(blanks) + "=" + Pick(blanks) + Value() +
                                         Pick(blanks)
                                   : Pick({"; a note", ";Top=9", "", "Remark"})) + Pick(lineEnds);
    }
    return random_() % 4 ? file : file.substr(0, file.find_last_not_of("\r\n") + 1);
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
    TempFolder temp;
    const fs::path folder = temp.Path();
    for (const char* side : {"wine", "ours"})
        fs::create_directories(folder / side);

    // Writes first, then a read of every name, each a line of the probe's.
    std::vector<std::string> files(250);
    std::vector<std::vector<std::vector<std::string>>> operations(files.size());
    std::ofstream list(folder / "operations.txt", std::ios::binary);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string file = "case" + std::to_string(i) + ".ini";
        if (!(files[i] = File()).empty()) // else no file at first
            for (const char* side : {"wine", "ours"})
                std::ofstream(folder / side / file, std::ios::binary) << files[i];
        for (int w = 1 + random_() % 5; w > 0; --w) // Wine keeps blanks at a written value's end until it next reads
            operations[i].push_back({"W", MixedCase(Pick(sections)), MixedCase(Pick(keys)),
                                     Pick({"", " spaced out", Value()})});
        for (const std::string& section : sections)
            for (const std::string& key : keys)
                operations[i].push_back({"R", MixedCase(section), MixedCase(key)});
        for (const auto& f : operations[i])
            list << f[0] << '\n' << WindowsPath(folder / "wine" / file) << '\n' << f[1] << '\n' << f[2] << '\n'
                 << (f.size() > 3 ? f[3] + '\n' : "");
    }
    list.close();
    const std::string command = "wine '" + std::string(probe) + "' '" + WindowsPath(folder / "operations.txt") +
                                "' '" + WindowsPath(folder / "results.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream wineReads(folder / "results.txt", std::ios::binary);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path ours = folder / "ours" / ("case" + std::to_string(i) + ".ini");
        for (const auto& f : operations[i]) {
            char buffer[2048];
            if (f[0] == "W") {
                WritePrivateProfileStringA(f[1].c_str(), f[2].c_str(), f[3].c_str(), ours.c_str());
                continue;
            }
            DWORD count = GetPrivateProfileStringA(f[1].c_str(), f[2].c_str(), "", buffer, sizeof buffer, ours.c_str());
            std::string wine;
            ASSERT_TRUE(std::getline(wineReads, wine)) << "the probe gave fewer reads than asked";
            ASSERT_EQ(std::string(buffer, count), wine) << "case " << i << ", [" << f[1] << "] " << f[2] << ", starting file:\n" << files[i];
        }
    }
}

} // namespace
