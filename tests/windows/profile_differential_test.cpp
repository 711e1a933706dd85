// Our Linux settings store (platform/x11/profile.cpp) against the profile calls
// of Wine: from the same starting files, the same writes and reads give the same
// read results and the same files, but for the differences named below.
//
// Runs on Linux; needs wine and the Windows probe (LOOKOUT_PROFILE_PROBE).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "winapi.h"

namespace {

namespace fs = std::filesystem;

struct Operation {
    bool write;
    std::string section, key, value;
};

struct Case {
    std::optional<std::string> start; // nothing: no file at first
    std::vector<Operation> operations;
};

const std::vector<std::string> sectionNames = {"Tarvex Blinkmor", "Window", "Colors", "Old Stuff"};
const std::vector<std::string> keyNames = {"Top", "Left", "Width", "Title", "Eye Color"};

// Starting files as people edit them, and writes and reads as the program makes them.
class CaseMaker {
public:
    Case Make()
    {
        Case made;
        if (OneIn(10)) {
            // The program storing the place of a window that has not moved.
            made.start = Blanks() + "[" + MixedCase("Tarvex Blinkmor") + "]\r\n" + Blanks() + MixedCase("Top") +
                         Blanks() + "=" + Blanks() + "4500" + Blanks() + "\r\n" + File();
            made.operations.push_back({true, MixedCase("Tarvex Blinkmor"), MixedCase("Top"), "4500"});
        } else if (!OneIn(10)) {
            made.start = File();
        }
        for (std::size_t i = 0, count = made.operations.empty() ? 1 + Below(6) : 0; i < count; ++i) {
            made.operations.push_back({true, SectionName(), MixedCase(Pick(keyNames)), WrittenValue()});
            made.operations.push_back({false, SectionName(), MixedCase(Pick(keyNames)), ""});
        }
        for (const std::string& section : sectionNames)
            for (const std::string& key : keyNames)
                made.operations.push_back({false, MixedCase(section), MixedCase(key), ""});
        return made;
    }

private:
    std::size_t Below(std::size_t n) { return random_() % n; }
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    const std::string& Pick(const std::vector<std::string>& from) { return from[Below(from.size())]; }

    std::string MixedCase(std::string name)
    {
        for (char& c : name)
            if (OneIn(2))
                c = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c >= 'A' ? c - 'A' + 'a' : c);
        return name;
    }
    std::string SectionName() { return OneIn(8) ? MixedCase("New Section") : MixedCase(Pick(sectionNames)); }
    std::string Blanks() { return Pick({"", "", " ", "\t", "  ", " \t "}); }
    std::string Number() { return std::to_string(static_cast<int>(Below(20000)) - 5000); }
    std::string Long() { return std::string(2990 + Below(20), static_cast<char>('a' + Below(26))) + "end"; }

    std::string FileValue()
    {
        switch (Below(9)) {
        case 0: return "";
        case 1: return "\"  quoted  \"";
        case 2: return "'single'";
        case 3: return Long();
        case 4: return "a=b";
        case 5: return "one two";
        default: return Number();
        }
    }

    // Written values end in a non-blank: Wine keeps blanks at a written value's end
    // until it next reads the file, which no rewrite of the whole file can model.
    std::string WrittenValue()
    {
        switch (Below(6)) {
        case 0: return "";
        case 1: return Pick({" ", "   "}) + "spaced out"; // no tabs: they part the probe's fields
        case 2: return Long();
        default: return Number();
        }
    }

    std::string Line()
    {
        switch (Below(12)) {
        case 0: return "; a note";
        case 1: return ";" + Pick(keyNames) + "=9";
        case 2: return Blanks();
        case 3: return MixedCase(Pick(keyNames)); // a name without '='
        default:
            return Blanks() + MixedCase(Pick(keyNames)) + Blanks() + "=" + Blanks() + FileValue() + Blanks();
        }
    }

    std::string File()
    {
        std::vector<std::string> lines;
        if (OneIn(3))
            lines.push_back("; lookout's settings");
        for (std::size_t s = 0, sections = Below(5); s < sections; ++s) {
            lines.push_back(Blanks() + "[" + Blanks() + MixedCase(Pick(sectionNames)) + Blanks() + "]" + Blanks());
            for (std::size_t k = 0, count = Below(6); k < count; ++k)
                lines.push_back(Line());
        }
        const int lineEnds = static_cast<int>(Below(3)); // CRLF, LF, or both
        std::string text;
        for (const std::string& line : lines)
            text += line + (lineEnds == 0 || (lineEnds == 2 && OneIn(2)) ? "\r\n" : "\n");
        if (!text.empty() && OneIn(4))
            text.erase(text.find_last_not_of("\r\n") + 1); // no line break at the end
        return text;
    }

    std::mt19937 random_{20240611};
};

// ---- what differs between the two on purpose

enum class Difference { LineEnds, BlankLines, Blanks, Untouched, NameWithoutValue };

const std::map<Difference, std::string> differenceNames = {
    {Difference::LineEnds, "Wine rewrites the file with CRLF line ends, the last line included"},
    {Difference::BlankLines, "Wine drops empty and blank lines"},
    {Difference::Blanks,
     "Wine removes blanks at line starts and ends, around '=' and inside a section's brackets"},
    {Difference::Untouched,
     "Wine leaves the file as it was when no value changes; ours rewrites the written value's line"},
    {Difference::NameWithoutValue,
     "Wine takes a line without '=' for its key with no value: a write sets the value on that line, "
     "and a read finds no value there; ours passes over such a line"},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// A file as Wine writes it anew: every line trimmed, blanks around '=' and inside
// the brackets gone, blank lines dropped, CRLF after each line. Notes which of
// these changed something.
std::vector<std::string> WineLayout(const std::string& text, std::set<Difference>* changed = nullptr)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        bool crlf = !line.empty() && line.back() == '\r';
        if (changed && (!crlf || in.eof()))
            changed->insert(Difference::LineEnds);
        std::string content = Trim(line);
        std::string laidOut = content;
        std::size_t bracket = content.rfind(']');
        if (content.starts_with('[') && bracket != std::string::npos)
            laidOut = "[" + Trim(content.substr(1, bracket - 1)) + "]";
        else if (std::size_t equals = content.find('='); equals != std::string::npos)
            laidOut = Trim(content.substr(0, equals)) + "=" + Trim(content.substr(equals + 1));
        if (changed && content.empty())
            changed->insert(Difference::BlankLines);
        else if (changed && laidOut != (crlf ? line.substr(0, line.size() - 1) : line))
            changed->insert(Difference::Blanks);
        if (!content.empty())
            lines.push_back(laidOut);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string NameOf(const std::string& line) { return Trim(line.substr(0, line.find('='))); }

// The keys that a line without '=' names, each with the number of its section
// (0 before the first one): Wine takes such a line for the key, ours passes over it.
std::set<std::pair<int, std::string>> NamesWithoutValue(const std::vector<std::string>& lines)
{
    std::set<std::pair<int, std::string>> names;
    int section = 0;
    for (const std::string& line : lines)
        if (line.starts_with('['))
            ++section;
        else if (!line.starts_with(';') && line.find('=') == std::string::npos)
            names.insert({section, Trim(line)});
    return names;
}

// The lines without every line of those keys in their sections.
std::vector<std::string> WithoutKeys(const std::vector<std::string>& lines,
                                     const std::set<std::pair<int, std::string>>& keys)
{
    std::vector<std::string> kept;
    int section = 0;
    for (const std::string& line : lines) {
        section += line.starts_with('[') ? 1 : 0;
        bool dropped = !line.starts_with('[') && std::any_of(keys.begin(), keys.end(), [&](const auto& key) {
            return key.first == section && SameName(key.second, NameOf(line));
        });
        if (!dropped)
            kept.push_back(line);
    }
    return kept;
}

// Whether, in the file's first section of that name, the key's first line has no '='.
bool KeyFirstWithoutValue(const std::string& text, const std::string& section, const std::string& key)
{
    bool inSection = false, seenSection = false;
    for (const std::string& line : WineLayout(text)) {
        if (line.starts_with('[')) {
            if (seenSection)
                return false;
            inSection = seenSection = SameName(Trim(line.substr(1, line.size() - 2)), Trim(section));
        } else if (inSection && !line.starts_with(';') && SameName(NameOf(line), Trim(key))) {
            return line.find('=') == std::string::npos;
        }
    }
    return false;
}

// The differences that explain why Wine's file is not ours, or nothing when none do.
std::optional<std::set<Difference>> Explain(const std::optional<std::string>& start, const std::string& ours,
                                            const std::string& wines)
{
    if (ours == wines)
        return std::set<Difference>{};
    if (start && wines == *start && WineLayout(ours) == WineLayout(*start))
        return std::set<Difference>{Difference::Untouched};
    std::set<Difference> found;
    std::vector<std::string> laidOut = WineLayout(ours, &found);
    if (Joined(laidOut) == wines)
        return found;
    found.insert(Difference::NameWithoutValue);
    std::set<std::pair<int, std::string>> names = NamesWithoutValue(laidOut);
    if (!names.empty() && WithoutKeys(laidOut, names) == WithoutKeys(WineLayout(wines), names))
        return found;
    return std::nullopt;
}

// Why a read gave another text than Wine's, from our file as it was at the read.
std::optional<Difference> ExplainRead(const std::string& ours, const std::string& wines, const Operation& read,
                                      const std::string& ourFile)
{
    if (ours == wines)
        return std::nullopt;
    if (wines.empty() && KeyFirstWithoutValue(ourFile, read.section, read.key))
        return Difference::NameWithoutValue;
    throw std::runtime_error("read \"" + ours + "\" where Wine read \"" + wines + "\"");
}

// ---- running both

std::string FileBytes(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::string WindowsPath(const fs::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::string Unhex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string Shown(const std::string& bytes)
{
    std::string shown;
    for (char c : bytes)
        shown += c == '\r' ? "\\r" : c == '\n' ? "\\n\n" : c == '\t' ? "\\t" : std::string(1, c);
    return shown.size() > 1500 ? shown.substr(0, 1500) + "..." : shown;
}

class ProfileDifferential : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/lookout-profile-diff-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        fs::create_directories(folder / "wine");
        fs::create_directories(folder / "ours");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs every case's operations through Wine in one go; gives each case's reads.
    std::vector<std::vector<std::string>> RunWine(const std::vector<Case>& cases) const
    {
        const char* probe = std::getenv("LOOKOUT_PROFILE_PROBE");
        if (!probe)
            throw std::runtime_error("LOOKOUT_PROFILE_PROBE names no probe program");
        std::ofstream operations(folder / "operations.txt", std::ios::binary);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            std::string file = WindowsPath(folder / "wine" / ("case" + std::to_string(i) + ".ini"));
            for (const Operation& op : cases[i].operations)
                operations << (op.write ? "W\t" : "R\t") << file << '\t' << op.section << '\t' << op.key
                           << (op.write ? "\t" + op.value : "") << '\n';
        }
        operations.close();
        std::string command = "wine '" + std::string(probe) + "' '" + WindowsPath(folder / "operations.txt") +
                              "' '" + WindowsPath(folder / "results.txt") + "'";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("the probe failed: " + command);

        std::vector<std::vector<std::string>> reads(cases.size());
        std::ifstream results(folder / "results.txt", std::ios::binary);
        for (std::size_t i = 0; i < cases.size(); ++i)
            for (const Operation& op : cases[i].operations)
                if (!op.write) {
                    std::string count, hex;
                    std::getline(results, count, '\t');
                    std::getline(results, hex);
                    reads[i].push_back(Unhex(hex));
                    if (reads[i].back().size() != std::stoul(count))
                        throw std::runtime_error("Wine's count is not its text's length");
                }
        return reads;
    }

    // Gives the reads, and our file as it was at each.
    std::vector<std::pair<std::string, std::string>> RunOurs(const Case& made, const fs::path& file) const
    {
        std::vector<std::pair<std::string, std::string>> reads;
        for (const Operation& op : made.operations) {
            if (op.write) {
                WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.value.c_str(), file.c_str());
            } else {
                std::vector<char> buffer(2048, '\0');
                DWORD count = GetPrivateProfileStringA(op.section.c_str(), op.key.c_str(), "", buffer.data(),
                                                       static_cast<DWORD>(buffer.size()), file.c_str());
                reads.emplace_back(std::string(buffer.data(), count), FileBytes(file));
            }
        }
        return reads;
    }

    fs::path folder;
};

TEST_F(ProfileDifferential, OurStoreAndWinesGiveTheSameReadsAndFilesButForTheNamedDifferences)
{
    constexpr std::size_t caseCount = 250;
    CaseMaker maker;
    std::vector<Case> cases;
    for (std::size_t i = 0; i < caseCount; ++i) {
        cases.push_back(maker.Make());
        if (cases.back().start) {
            WriteBytes(folder / "wine" / ("case" + std::to_string(i) + ".ini"), *cases.back().start);
            WriteBytes(folder / "ours" / ("case" + std::to_string(i) + ".ini"), *cases.back().start);
        }
    }
    std::vector<std::vector<std::string>> wineReads = RunWine(cases);

    std::map<Difference, int> seen;
    int unexplained = 0;
    for (std::size_t i = 0; i < caseCount; ++i) {
        const fs::path ours = folder / "ours" / ("case" + std::to_string(i) + ".ini");
        const fs::path wines = folder / "wine" / ("case" + std::to_string(i) + ".ini");
        std::vector<std::pair<std::string, std::string>> ourReads = RunOurs(cases[i], ours);
        std::vector<const Operation*> reads;
        for (const Operation& op : cases[i].operations)
            if (!op.write)
                reads.push_back(&op);
        std::ostringstream problem;
        try {
            if (ourReads.size() != wineReads[i].size())
                throw std::runtime_error("Wine gave another number of reads");
            for (std::size_t r = 0; r < ourReads.size(); ++r)
                if (std::optional<Difference> difference =
                        ExplainRead(ourReads[r].first, wineReads[i][r], *reads[r], ourReads[r].second))
                    ++seen[*difference];
        } catch (const std::exception& error) {
            problem << error.what() << "\n";
        }
        if (fs::exists(ours) != fs::exists(wines))
            problem << "one of the two made a file, the other did not\n";
        else if (std::optional<std::set<Difference>> found = Explain(cases[i].start, FileBytes(ours), FileBytes(wines)))
            for (Difference difference : *found)
                ++seen[difference];
        else
            problem << "the files differ in a way none of the named differences explains\n";

        if (!problem.str().empty() && ++unexplained <= 3) {
            std::ostringstream operations;
            for (const Operation& op : cases[i].operations)
                if (op.write)
                    operations << "  write [" << op.section << "] " << op.key << "=" << Shown(op.value) << "\n";
            ADD_FAILURE() << "case " << i << ": " << problem.str() << "starting file:\n"
                          << (cases[i].start ? Shown(*cases[i].start) : "(none)") << "\nwrites:\n"
                          << operations.str() << "ours:\n" << Shown(FileBytes(ours)) << "\nWine's:\n"
                          << Shown(FileBytes(wines));
        }
    }
    EXPECT_EQ(unexplained, 0) << "cases with differences no name explains";

    std::cout << "Named differences between our settings store and Wine's, in " << caseCount << " cases:\n";
    for (const auto& [difference, name] : differenceNames)
        std::cout << "  " << (seen.contains(difference) ? std::to_string(seen[difference]) : "never") << "\t"
                  << name << "\n";
}

} // namespace
