#pragma once
// What the fuzz targets share: a check that aborts, files of their own, and a
// separately written reader of settings texts, so the store is checked against
// something other than itself.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_text {

inline void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// The lines of a text, each with its line feed (the last one may lack it).
inline std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t length; !text.empty(); text.remove_prefix(length)) {
        length = std::min(text.find('\n'), text.size() - 1) + 1;
        lines.push_back(text.substr(0, length));
    }
    return lines;
}

// A line without its line feed and the one carriage return before it.
inline std::string_view Bare(std::string_view line)
{
    line = line.substr(0, line.size() - line.ends_with('\n'));
    return line.substr(0, line.size() - line.ends_with('\r'));
}

inline std::string_view Trim(std::string_view s)
{
    std::size_t first = s.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A name as it matches: without blanks around it, ASCII letters in lower case.
inline std::string Folded(std::string_view name)
{
    std::string folded(Trim(name));
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
    return folded;
}

inline std::string SwapCase(std::string name)
{
    for (char& c : name)
        c ^= (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? 0x20 : 0;
    return name;
}

// The section a line starts, if it is a section line.
inline std::optional<std::string_view> HeaderName(std::string_view bare)
{
    std::string_view start = bare.substr(std::min(bare.find_first_not_of(" \t"), bare.size()));
    if (!start.starts_with('['))
        return std::nullopt;
    return start.substr(1, start.find(']') - 1);
}

// The key a line sets, if it is a key line (not a comment, has a '=').
inline std::optional<std::string_view> KeyName(std::string_view bare)
{
    std::size_t equals = bare.find('=');
    if (equals == std::string_view::npos || Trim(bare).starts_with(';') || HeaderName(bare))
        return std::nullopt;
    return bare.substr(0, equals);
}

// A value as Windows hands it out: without blanks around it, nor the quotes, single or double, around that.
inline std::string_view Unquoted(std::string_view value)
{
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// Every setting a text holds, (section, key) to value: the first section of a
// name counts, and in it the first line of a key; a lone carriage return ends a value.
using Settings = std::map<std::pair<std::string, std::string>, std::string>;

inline Settings AllSettings(std::string_view text)
{
    Settings settings;
    std::set<std::string> sections;
    std::optional<std::string> section; // none before the first section line, nor in a repeated one
    for (std::string_view line : Lines(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text)) {
        std::string_view bare = Bare(line);
        if (std::optional<std::string_view> name = HeaderName(bare)) {
            section = Folded(*name);
            if (!sections.insert(*section).second)
                section.reset();
        } else if (std::optional<std::string_view> name = KeyName(bare); section && name) {
            std::string_view value = bare.substr(name->size() + 1);
            settings.emplace(std::pair(*section, Folded(*name)), Unquoted(value.substr(0, value.find('\r'))));
        }
    }
    return settings;
}

inline std::optional<std::string> Lookup(std::string_view text, std::string_view section, std::string_view key)
{
    Settings settings = AllSettings(text);
    auto found = settings.find({Folded(section), Folded(key)});
    return found == settings.end() ? std::nullopt : std::optional(found->second);
}

// The n-th (wrapping round) section or key name in a text, so that targets often ask for names that are there.
inline std::optional<std::string> NthName(std::string_view text, unsigned n, bool sections)
{
    std::vector<std::string_view> names;
    for (std::string_view line : Lines(text))
        if (auto name = sections ? HeaderName(Bare(line)) : KeyName(Bare(line)))
            names.push_back(*name);
    if (names.empty())
        return std::nullopt;
    std::string_view name = names[n % names.size()];
    return std::string(name.substr(0, name.find('\0'))); // the store takes C strings
}

// A folder of this process's own, in TMPDIR (which the run script removes) or /tmp.
inline const std::string& PrivateFolder()
{
    static const std::string folder = [] {
        std::string pattern = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/lookout-fuzz-XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
        return pattern;
    }();
    return folder;
}

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    Check(static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes), "cannot write a test file");
}

inline std::string ReadFile(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace fuzz_text
