// Any settings file, and one value read from it and written into it. The read must
// not crash, must fit its answer in the buffer with a NUL after it and give what
// the text holds, whatever the letter case of the names, never with a line break.
// A write the store refuses leaves the file as it was; one it takes reads back as
// in a file of that one line, changes one line or puts lines in at one place, and
// leaves every other setting as it was. Through the files only now and then.
//
// Input: a mode byte, then "section\0key\0value\0" and the file's starting bytes.
// Mode bits: 0x10 and 0x20 take the section and the key from the file instead;
// a mode % 16 == 0 goes through the files too (reading into a buffer the value's
// length plus one), with no file at first when 0x80 is set and the file is empty.

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
using profile_text::FindValue;

namespace {

// What can be written and read back: no line breaks anywhere, no ']' in a section,
// no '=' in a key, and no key that makes its line a comment or a section line.
bool Storable(const std::string& section, const std::string& key, const std::string& value)
{
    std::string_view start = std::string_view(key).substr(std::min(key.find_first_not_of(" \t"), key.size()));
    return (section + key + value).find_first_of("\r\n") == std::string::npos && section.find(']') == std::string::npos &&
           key.find('=') == std::string::npos && !start.starts_with(';') && !start.starts_with('[');
}

std::string Field(std::string_view& rest)
{
    std::string field(rest.substr(0, rest.find('\0')));
    rest.remove_prefix(std::min(field.size() + 1, rest.size()));
    return field;
}

void CheckRead(std::string_view text, const std::string& section, const std::string& key)
{
    std::optional<std::string_view> found = FindValue(text, section, key);
    Check(!found || found->find_first_of("\r\n") == std::string_view::npos, "a value has a line break in it");
    Check(found == FindValue(text, SwapCase(section), SwapCase(key)), "the letter case of the names changed a read");
}

void CheckWritten(std::string_view before, std::string_view after, const std::string& section, const std::string& key,
                  const std::string& value)
{
    const std::string alone = "[" + section + "]\n" + key + "=" + value + "\n";
    Check(FindValue(after, SwapCase(section), SwapCase(key)) == FindValue(alone, section, key),
          "the written value does not read back");
    // What changed lies in one line, or is lines put in at one place (with the line end a last line lacked).
    std::size_t same = std::ranges::mismatch(before, after).in1 - before.begin(), sameEnd = 0;
    while (sameEnd < std::min(before.size(), after.size()) - same &&
           before[before.size() - 1 - sameEnd] == after[after.size() - 1 - sameEnd])
        ++sameEnd;
    std::string_view removed = before.substr(same, before.size() - same - sameEnd);
    std::string_view added = after.substr(same, after.size() - same - sameEnd);
    Check(removed.find('\n') == std::string_view::npos && std::ranges::count(added, '\n') <= 3,
          "more than the one line changed");
    for (const std::string& s : fuzz_text::Names(before, true))
        for (const std::string& k : fuzz_text::Names(before, false))
            Check(FindValue("[" + section + "]\n" + key + "=x\n", s, k) || FindValue(after, s, k) == FindValue(before, s, k),
                  "a setting other than the one written changed");
}

// The real calls on a real file, in a folder of this process's own.
void ThroughFiles(std::string_view before, bool fileMissing, const std::string& section, const std::string& key,
                  const std::string& value, bool storable)
{
    const std::string& folder = fuzz_text::PrivateFolder();
    const std::string path = folder + "/settings.ini";
    std::filesystem::remove(path);
    if (!fileMissing)
        fuzz_text::WriteFile(path, before);

    std::vector<char> buffer(value.size() + 1, '\x7F'); // exactly the size given, so ASan sees any overrun
    auto read = [&](const std::string& s, const std::string& k) {
        DWORD count = GetPrivateProfileStringA(s.c_str(), k.c_str(), "(none)", buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path.c_str());
        Check(count < buffer.size() && buffer[count] == '\0', "the answer is not NUL-terminated within the buffer");
        return std::string(buffer.data(), count);
    };
    Check(read(section, key) == std::string(FindValue(before, section, key).value_or("(none)")).substr(0, value.size()),
          "the file read differs from the text read");

    BOOL written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    Check(written == (storable ? TRUE : FALSE), "the file call took what it should refuse, or the reverse");
    auto files = std::distance(std::filesystem::directory_iterator(folder), {});
    Check(files == (written || !fileMissing ? 1 : 0), "a write left a file behind");
    const std::string after = fuzz_text::ReadFile(path);
    Check((fileMissing && !written) || after == (written ? profile_text::SetValue(before, section, key, value) : std::string(before)),
          "the file differs from the text SetValue makes, or a refused write changed it");
    if (written)
        Check(read(SwapCase(section), SwapCase(key)) == FindValue(after, section, key).value_or("(none)"),
              "the file call does not read the value back");
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

    CheckRead(before, section, key);
    const bool storable = Storable(section, key, value);
    Check(profile_text::CanStore(section, key, value) == storable, "CanStore refuses what it can store, or the reverse");
    if (storable)
        CheckWritten(before, profile_text::SetValue(before, section, key, value), section, key, value);
    if (mode % 16 == 0)
        ThroughFiles(before, before.empty() && mode & 0x80, section, key, value, storable);
    return 0;
}
