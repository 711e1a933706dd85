#pragma once
// Taking the program file's path apart, and a short stable name for it,
// the same way on every system.

#include <cstdint>
#include <string>
#include <type_traits>

// The folder of a file, without a final separator except for a root ("/", "C:\").
template <class Char>
std::basic_string<Char> FolderOf(const std::basic_string<Char>& file, const Char* separators)
{
    std::size_t last = file.find_last_of(separators);
    if (last == std::basic_string<Char>::npos)
        return {};
    std::basic_string<Char> folder = file.substr(0, last);
    if (folder.empty() || (folder.size() == 2 && folder[1] == Char(':')))
        folder += file[last];
    return folder;
}

// The file's name without folder and without its last extension.
template <class Char>
std::basic_string<Char> NameWithoutExtension(const std::basic_string<Char>& file, const Char* separators)
{
    std::basic_string<Char> name = file.substr(file.find_last_of(separators) + 1);
    std::size_t dot = name.find_last_of(Char('.'));
    if (dot != std::basic_string<Char>::npos && dot > 0)
        name.erase(dot);
    return name;
}

// FNV-1a, 64 bits, over the characters' code units: a name for the program file
// that fits in a lock or mutex name.
template <class Char>
std::uint64_t Fnv1a(const std::basic_string<Char>& text)
{
    std::uint64_t hash = 0xcbf29ce484222325;
    for (Char c : text)
        hash = (hash ^ static_cast<std::make_unsigned_t<Char>>(c)) * 0x100000001b3;
    return hash;
}
