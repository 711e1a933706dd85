// Reading the settings file, whatever is in it: GetPrivateProfileStringA must
// not crash, must fit its answer in the buffer with a NUL after it, and must
// find what a separately written reader finds, never with a line break in it.
//
// Input: two bytes for the buffer size, one choosing the section, one choosing
// the key, then the file's contents.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_text.h"
#include "profile_text.h"
#include "winapi.h"

using fuzz_text::Check;

namespace {

// The bits of a choice byte: the low two pick a fixed name or one from the
// file, the next three which one, the top one swaps the letter case.
std::string ChooseName(std::string_view text, std::uint8_t choice, bool sections, const char* fixed,
                       const char* other)
{
    std::string name = choice % 4 == 0 ? fixed : choice % 4 == 1 ? other : "";
    if (choice % 4 >= 2)
        name = fuzz_text::NthName(text, (choice >> 2) & 7, sections).value_or(fixed);
    return choice & 0x80 ? fuzz_text::SwapCase(name) : name;
}

bool HasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const DWORD bufferLength = 1 + (data[0] << 8 | data[1]) % 2048;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::string section = ChooseName(text, data[2], true, "Tarvex Blinkmor", "");
    const std::string key = ChooseName(text, data[3], false, "Top", "Left");

    // The text alone, which is quick.
    std::optional<std::string_view> found = profile_text::FindValue(text, section, key);
    Check(found == fuzz_text::Lookup(text, section, key), "FindValue differs from the plain reader");
    Check(!found || !HasLineBreak(*found), "a value has a line break in it");

    // The same through the file, as the program reads it.
    static const std::string path = fuzz_text::PrivateFolder() + "/read.ini";
    fuzz_text::WriteFile(path, text);
    std::vector<char> buffer(bufferLength, '\x7F'); // exactly the size given, so ASan sees any overrun
    DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), " (none)\t ", buffer.data(),
                                           bufferLength, path.c_str());
    Check(count < bufferLength, "the count is not less than the buffer size");
    Check(buffer[count] == '\0', "the answer is not NUL-terminated at its count");
    std::string_view answer(buffer.data(), count);
    Check(!HasLineBreak(answer), "the answer has a line break in it");
    std::string_view expected = found.value_or(" (none)");
    Check(answer == expected.substr(0, bufferLength - 1), "the file read differs from the text read");
    return 0;
}
