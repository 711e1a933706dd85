// Any settings text and one value read from it and written into it. A read gives the same whatever
// the names' letter case, and never a line break. Only what can be stored is taken; it then reads
// back as in a file of that one line and leaves every other setting as it was.
// Input: a mode byte, then "section\0key\0value\0" and the text. Mode 0x10 and 0x20 take the
// section and the key from the text, the one the top two bits pick.

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <vector>

#include "profile_text.h"

using profile_text::FindValue;

namespace {

std::string SwapCase(std::string name)
{
    for (char& c : name)
        c ^= (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? 0x20 : 0;
    return name;
}

// Roughly what follows a '[' starting a line, or comes before a line's '='; extra candidates do no harm.
std::vector<std::string> Names(std::string_view text, bool sections)
{
    std::vector<std::string> names;
    for (std::size_t start = 0, end; start < text.size() && names.size() < 16; start = end + 1) {
        end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string_view line = text.substr(start, end - start);
        std::size_t first = std::min(line.find_first_not_of(" \t"), line.size());
        bool header = line.substr(first).starts_with('[');
        if (header == sections && (header || line.find('=') != std::string_view::npos)) {
            std::string_view name = header ? line.substr(first + 1, line.find(']') - first - 1) : line.substr(0, line.find('='));
            names.emplace_back(name.substr(0, name.find('\0'))); // names reach the store as C strings
        }
    }
    return names;
}

std::string Field(std::string_view& rest)
{
    std::string field(rest.substr(0, rest.find('\0')));
    rest.remove_prefix(std::min(field.size() + 1, rest.size()));
    return field;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string section = Field(rest), key = Field(rest), value = Field(rest);
    const std::string_view before = rest;
    const std::vector<std::string> sections = Names(before, true), keys = Names(before, false);
    if (data[0] & 0x10 && !sections.empty())
        section = sections[(data[0] >> 6) % sections.size()];
    if (data[0] & 0x20 && !keys.empty())
        key = keys[(data[0] >> 6) % keys.size()];

    std::optional<std::string_view> found = FindValue(before, section, key);
    assert((!found || found->find_first_of("\r\n") == std::string_view::npos) && "a value has a line break in it");
    assert(found == FindValue(before, SwapCase(section), SwapCase(key)) && "the letter case of the names changed a read");
    // What can be stored is what a file of the section's line and the key's line holds: found under
    // its names, on those two lines and no more.
    const std::string alone = "[" + section + "]\n" + key + "=" + value + "\n";
    const bool twoLines = std::ranges::count(alone, '\n') == 2 && alone.find('\r') == std::string::npos;
    const bool storable = twoLines && FindValue(alone, section, key).has_value();
    assert(profile_text::CanStore(section, key, value) == storable && "CanStore refuses what it can store, or the reverse");
    if (storable) {
        const std::string after = profile_text::SetValue(before, section, key, value);
        assert(FindValue(after, SwapCase(section), SwapCase(key)) == FindValue(alone, section, key) && "no read back");
        for (const std::string& s : sections)
            for (const std::string& k : keys)
                assert((FindValue(alone, s, k) || FindValue(after, s, k) == FindValue(before, s, k)) &&
                       "another setting changed");
    }
    return 0;
}
