#pragma once
// What the settings-store targets share: simple, separately written ways to
// read a settings text, so the store is checked against something other than itself.

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
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
    while (!text.empty()) {
        std::size_t feed = text.find('\n');
        std::size_t length = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// A line without its line feed and the one carriage return before it.
inline std::string_view Bare(std::string_view line)
{
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

inline std::string_view Trim(std::string_view s)
{
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

inline bool SameName(std::string_view a, std::string_view b)
{
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The section a line starts, if it is a section line.
inline std::optional<std::string_view> HeaderName(std::string_view bare)
{
    std::string_view start = bare.substr(std::min(bare.find_first_not_of(" \t"), bare.size()));
    if (!start.starts_with('['))
        return std::nullopt;
    start.remove_prefix(1);
    return start.substr(0, start.find(']'));
}

// The key a line sets, if it is a key line (not a comment, has a '=').
inline std::optional<std::string_view> KeyName(std::string_view bare)
{
    std::size_t equals = bare.find('=');
    if (equals == std::string_view::npos || Trim(bare).starts_with(';') || HeaderName(bare))
        return std::nullopt;
    return bare.substr(0, equals);
}

// A value as Windows hands it out: without blanks around it, nor the quotes,
// single or double, around that.
inline std::string_view Unquoted(std::string_view value)
{
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// The value on a key line: a lone carriage return in it ends it too.
inline std::string_view ValueOf(std::string_view bare, std::string_view key)
{
    std::string_view value = bare.substr(key.size() + 1);
    return Unquoted(value.substr(0, value.find('\r')));
}

// A byte-order mark at the start is not text.
inline std::string_view WithoutMark(std::string_view text)
{
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

// The value of a key: the first section of that name counts, and in it the
// first line of that key.
inline std::optional<std::string_view> Lookup(std::string_view text, std::string_view section,
                                              std::string_view key)
{
    bool inside = false;
    for (std::string_view line : Lines(WithoutMark(text))) {
        std::string_view bare = Bare(line);
        if (std::optional<std::string_view> name = HeaderName(bare)) {
            if (inside)
                return std::nullopt;
            inside = SameName(*name, section);
        } else if (std::optional<std::string_view> name = KeyName(bare); inside && name && SameName(*name, key)) {
            return ValueOf(bare, *name);
        }
    }
    return std::nullopt;
}

// A name as it matches: without blanks around it, in lower case.
inline std::string Folded(std::string_view name)
{
    std::string folded(Trim(name));
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
    return folded;
}

// Every setting a text holds, as Lookup would find each: (section, key) to value.
using Settings = std::map<std::pair<std::string, std::string>, std::string>;

inline Settings AllSettings(std::string_view text)
{
    Settings settings;
    std::set<std::string> sections;
    std::optional<std::string> section; // none before the first section line, nor in a repeated one
    for (std::string_view line : Lines(WithoutMark(text))) {
        std::string_view bare = Bare(line);
        if (std::optional<std::string_view> name = HeaderName(bare)) {
            section = Folded(*name);
            if (!sections.insert(*section).second)
                section.reset();
        } else if (std::optional<std::string_view> name = KeyName(bare); section && name) {
            settings.emplace(std::pair(*section, Folded(*name)), ValueOf(bare, *name)); // the first one counts
        }
    }
    return settings;
}

// The n-th (wrapping round) section or key name in a text, so that a target
// often asks for names that are there.
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

inline std::string SwapCase(std::string name)
{
    for (char& c : name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            c ^= 0x20;
    return name;
}

// A private folder for this process's files, in TMPDIR when it is set (the run
// script removes that), else in memory where possible, as the store syncs every
// file it writes. Removed on a normal exit; libFuzzer's own exits skip that.
inline const std::string& PrivateFolder()
{
    struct Folder {
        std::string path;
        Folder()
        {
            std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR")
                               : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                               : "/tmp";
            std::string pattern = base + "/lookout-fuzz-XXXXXX";
            Check(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
            path = pattern;
        }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static Folder folder;
    return folder.path;
}

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fclose(file) == 0,
          "cannot write a test file");
}

inline std::string ReadFile(const std::string& path)
{
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    Check(file != nullptr, "cannot open a test file");
    char chunk[4096];
    while (std::size_t count = std::fread(chunk, 1, sizeof chunk, file))
        bytes.append(chunk, count);
    std::fclose(file);
    return bytes;
}

} // namespace fuzz_text
