// Writing one value into any settings file. A write the store refuses leaves the
// file as it was; one it takes reads back in either letter case as in a file of
// that one line, changes one line or adds lines in one place, and leaves every
// other setting as it was. Mostly on the text alone, which is quick; now and then
// through the files.
//
// Input: a mode byte, then "section\0key\0value\0" and the file's starting bytes.
// Mode bits: 0x10 and 0x20 take the section and the key from the file instead;
// a mode % 16 == 0 goes through the files too, with no file at first when 0x80
// is set and the starting text is empty.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "profile_text.h"
#include "winapi.h"

using fuzz_text::Check;
using fuzz_text::SwapCase;

namespace {

// What can be written and read back: no line breaks anywhere, no ']' in a section,
// no '=' in a key, and no key that makes its line a comment or a section line.
bool Storable(std::string_view section, std::string_view key, std::string_view value)
{
    std::string all = std::string(section) + std::string(key) + std::string(value);
    std::string_view start = key.substr(std::min(key.find_first_not_of(" \t"), key.size()));
    return all.find_first_of("\r\n") == std::string::npos && section.find(']') == std::string_view::npos &&
           key.find('=') == std::string_view::npos && !start.starts_with(';') && !start.starts_with('[');
}

std::string Field(std::string_view& rest)
{
    std::size_t end = std::min(rest.find('\0'), rest.size());
    std::string field(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return field;
}

void CheckWritten(std::string_view before, std::string_view after, const std::string& section, const std::string& key,
                  const std::string& value)
{
    const std::string alone = "[" + section + "]\n" + key + "=" + value + "\n";
    for (bool swapped : {false, true}) {
        std::string s = swapped ? SwapCase(section) : section, k = swapped ? SwapCase(key) : key;
        Check(profile_text::FindValue(after, s, k) == profile_text::FindValue(alone, s, k),
              "the written value does not read back");
    }
    // What changed lies in one line, or is lines put in at one place (with the line end
    // a last line lacked).
    std::size_t same = std::ranges::mismatch(before, after).in1 - before.begin();
    std::size_t sameEnd = 0;
    while (sameEnd < before.size() - same && sameEnd < after.size() - same &&
           before[before.size() - 1 - sameEnd] == after[after.size() - 1 - sameEnd])
        ++sameEnd;
    std::string_view removed = before.substr(same, before.size() - same - sameEnd);
    std::string_view added = after.substr(same, after.size() - same - sameEnd);
    Check(removed.find('\n') == std::string_view::npos && std::ranges::count(added, '\n') <= 3,
          "more than the one line changed");
    // Every other setting reads as before.
    for (const std::string& s : fuzz_text::Names(before, true))
        for (const std::string& k : fuzz_text::Names(before, false)) {
            bool written = profile_text::FindValue("[" + section + "]\n" + key + "=x\n", s, k).has_value();
            Check(written || profile_text::FindValue(after, s, k) == profile_text::FindValue(before, s, k),
                  "a setting other than the one written changed");
        }
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
    Check(files == (written || !fileMissing ? 1 : 0), "a write left a file behind");
    if (!written) {
        Check(fileMissing || fuzz_text::ReadFile(path) == before, "a refused write changed the file");
        return;
    }
    const std::string after = fuzz_text::ReadFile(path);
    Check(after == profile_text::SetValue(before, section, key, value), "the file differs from the text SetValue makes");
    std::string readBack(profile_text::FindValue(after, section, key).value_or(""));
    std::vector<char> buffer(readBack.size() + 1);
    DWORD count = GetPrivateProfileStringA(SwapCase(section).c_str(), SwapCase(key).c_str(), "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
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
    if (auto names = fuzz_text::Names(before, true); mode & 0x10 && !names.empty())
        section = names[(mode >> 6) % names.size()];
    if (auto names = fuzz_text::Names(before, false); mode & 0x20 && !names.empty())
        key = names[(mode >> 6) % names.size()];

    const bool storable = Storable(section, key, value);
    Check(profile_text::CanStore(section, key, value) == storable, "CanStore refuses what it can store, or the reverse");
    if (storable)
        CheckWritten(before, profile_text::SetValue(before, section, key, value), section, key, value);
    if (mode % 16 == 0)
        WriteThroughFile(before, before.empty() && mode & 0x80, section, key, value, storable);
    return 0;
}
