// Writing one value into any settings file. A write the store refuses leaves the
// file as it was; one it takes reads back (in either letter case) and changes one
// line of the file or adds one, with no other setting changed. Mostly on the text
// alone, which is quick; now and then through the files.
//
// Input: a mode byte, then "section\0key\0value\0" and the file's starting bytes.
// Mode bits: 0x10 and 0x20 take the section and the key from the file instead;
// a mode % 16 == 0 goes through the files too, with no file at first when 0x80
// is set and the starting text is empty.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "profile_text.h"
#include "winapi.h"

using fuzz_text::Check;
using Text = std::vector<std::string>;

namespace {

// What can be written and read back: no line breaks anywhere, no ']' in a section,
// no '=' in a key, and no key that makes its line a comment or a section line.
bool Storable(std::string_view section, std::string_view key, std::string_view value)
{
    auto breaks = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    std::string_view start = fuzz_text::Trim(key);
    return !breaks(section) && !breaks(key) && !breaks(value) && section.find(']') == std::string_view::npos &&
           key.find('=') == std::string_view::npos && !start.starts_with(';') && !start.starts_with('[');
}

std::string Field(std::string_view& rest)
{
    std::size_t end = std::min(rest.find('\0'), rest.size());
    std::string field(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return field;
}

Text LinesOf(std::string_view text)
{
    std::vector<std::string_view> lines = fuzz_text::Lines(text);
    return Text(lines.begin(), lines.end());
}

// The new text is the old one with exactly one of these: the key's line given the new
// value (all before its '=' and its line end kept), a line "key=value" added, or a
// section line and that line added at the end. Added lines end as the file's first
// line does; a last line without a line end gets one when something goes after it
// (only the line feed when it ends with a carriage return, its line end already).
bool OneLineChanged(std::string_view before, std::string_view after, const std::string& section,
                    const std::string& key, const std::string& value)
{
    Text old = LinesOf(before), now = LinesOf(after);
    std::size_t feed = before.find('\n');
    std::string lineBreak = feed != std::string_view::npos && feed > 0 && before[feed - 1] == '\r' ? "\r\n" : "\n";
    std::string entry = key + "=" + value + lineBreak;
    std::size_t at = std::ranges::mismatch(old, now).in1 - old.begin();
    if (now.size() == old.size()) {
        if (at == old.size())
            return true; // it had that value already
        std::string_view bare = fuzz_text::Bare(old[at]);
        std::optional<std::string_view> name = fuzz_text::KeyName(bare);
        if (!name || fuzz_text::Folded(*name) != fuzz_text::Folded(key))
            return false;
        old[at] = old[at].substr(0, name->size() + 1) + value + old[at].substr(bare.size());
        return old == now;
    }
    Text inserted = old;
    inserted.insert(inserted.begin() + static_cast<std::ptrdiff_t>(at), entry);
    if (!old.empty() && !old.back().ends_with('\n'))
        old.back() += old.back().ends_with('\r') ? "\n" : lineBreak;
    if (now.size() != old.size() + 1)
        old.push_back("[" + section + "]" + lineBreak);
    old.push_back(entry);
    return now == old || now == inserted;
}

void CheckWritten(std::string_view before, std::string_view after, const std::string& section,
                  const std::string& key, const std::string& value)
{
    std::string readBack(fuzz_text::Unquoted(value));
    for (bool swapped : {false, true}) {
        std::string s = swapped ? fuzz_text::SwapCase(section) : section, k = swapped ? fuzz_text::SwapCase(key) : key;
        Check(profile_text::FindValue(after, s, k) == readBack, "the written value does not read back");
        Check(fuzz_text::Lookup(after, s, k) == readBack, "the separate reader does not find the written value");
    }
    Check(OneLineChanged(before, after, section, key, value), "more than the one line changed");
    fuzz_text::Settings expected = fuzz_text::AllSettings(before);
    expected.insert_or_assign({fuzz_text::Folded(section), fuzz_text::Folded(key)}, readBack);
    Check(fuzz_text::AllSettings(after) == expected, "a setting other than the one written changed");
}

// The real calls on a real file, in a folder of this process's own.
void WriteThroughFile(std::string_view before, bool fileMissing, const std::string& section, const std::string& key,
                      const std::string& value, bool storable)
{
    const std::string& folder = fuzz_text::PrivateFolder();
    const std::string path = folder + "/write.ini";
    std::filesystem::remove(path);
    if (!fileMissing)
        fuzz_text::WriteFile(path, before);

    BOOL written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    Check(written == (storable ? TRUE : FALSE), "the file call took what it should refuse, or the reverse");
    auto files = std::distance(std::filesystem::directory_iterator(folder), {});
    if (!written) {
        Check(files == (fileMissing ? 0 : 1), "a refused write left a file behind");
        Check(fileMissing || fuzz_text::ReadFile(path) == before, "a refused write changed the file");
        return;
    }
    Check(files == 1, "a write left a temporary file behind");
    Check(fuzz_text::ReadFile(path) == profile_text::SetValue(before, section, key, value),
          "the file differs from the text SetValue makes");
    std::string readBack(fuzz_text::Unquoted(value));
    std::vector<char> buffer(readBack.size() + 1);
    DWORD count = GetPrivateProfileStringA(fuzz_text::SwapCase(section).c_str(), fuzz_text::SwapCase(key).c_str(), "",
                                           buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    Check(std::string_view(buffer.data(), count) == readBack, "the file call does not read the value back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string section = Field(rest), key = Field(rest), value = Field(rest);
    const std::string_view before = rest;
    if (mode & 0x10)
        section = fuzz_text::NthName(before, mode >> 6, true).value_or(section);
    if (mode & 0x20)
        key = fuzz_text::NthName(before, mode >> 6, false).value_or(key);

    const bool storable = Storable(section, key, value);
    Check(profile_text::CanStore(section, key, value) == storable, "CanStore refuses what it can store, or the reverse");
    if (storable)
        CheckWritten(before, profile_text::SetValue(before, section, key, value), section, key, value);
    if (mode % 16 == 0)
        WriteThroughFile(before, before.empty() && mode & 0x80, section, key, value, storable);
    return 0;
}
