#pragma once
// What the fuzz targets share: a check that aborts, files of their own, and the
// names a settings text holds, so that targets often ask for names that are there.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

inline std::string SwapCase(std::string name)
{
    for (char& c : name)
        c ^= (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? 0x20 : 0;
    return name;
}

// Roughly: what follows a '[' starting a line, or comes before a line's '='. The
// store decides what really is a name; a few extra candidates do no harm.
inline std::vector<std::string> Names(std::string_view text, bool sections)
{
    std::vector<std::string> names;
    for (std::size_t start = 0; start < text.size() && names.size() < 16;) {
        std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string_view line = text.substr(start, end - start);
        std::size_t first = std::min(line.find_first_not_of(" \t"), line.size());
        bool header = line.substr(first).starts_with('[');
        if (header == sections && (header || line.find('=') != std::string_view::npos)) {
            std::string_view name = header ? line.substr(first + 1, line.find(']') - first - 1) : line.substr(0, line.find('='));
            names.emplace_back(name.substr(0, name.find('\0'))); // the store takes C strings
        }
        start = end + 1;
    }
    return names;
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
