// Reading any settings file: GetPrivateProfileStringA must not crash, must fit its
// answer in the buffer with a NUL after it, must give what the text holds whatever
// the letter case of the names asked, and never a line break.
//
// Input: two bytes for the buffer size, one choosing the section, one the key, then the file.
// A choice byte's low two bits pick a fixed name or one from the file, the next
// three which one, the top bit swaps the letter case.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_text.h"
#include "profile_text.h"
#include "winapi.h"

using fuzz_text::Check;

namespace {

std::string ChooseName(std::string_view text, std::uint8_t choice, bool sections, const char* fixed, const char* other)
{
    std::vector<std::string> names = fuzz_text::Names(text, sections);
    std::string name = choice % 4 == 0 ? fixed : other;
    if (choice % 4 >= 2 && !names.empty())
        name = names[(choice >> 2 & 7) % names.size()];
    return choice & 0x80 ? fuzz_text::SwapCase(name) : name;
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

    std::optional<std::string_view> found = profile_text::FindValue(text, section, key);
    Check(!found || found->find_first_of("\r\n") == std::string_view::npos, "a value has a line break in it");
    Check(found == profile_text::FindValue(text, fuzz_text::SwapCase(section), fuzz_text::SwapCase(key)),
          "the letter case of the names asked changed the answer");

    // The same through the file, as the program reads it.
    static const std::string path = fuzz_text::PrivateFolder() + "/read.ini";
    fuzz_text::WriteFile(path, text);
    std::vector<char> buffer(bufferLength, '\x7F'); // exactly the size given, so ASan sees any overrun
    DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), "(none)", buffer.data(), bufferLength,
                                           path.c_str());
    Check(count < bufferLength && buffer[count] == '\0', "the answer is not NUL-terminated within the buffer");
    Check(std::string_view(buffer.data(), count) == found.value_or("(none)").substr(0, bufferLength - 1),
          "the file read differs from the text read");
    return 0;
}
