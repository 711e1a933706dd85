// Val on any text gives a finite number or RuntimeError, agrees with strtod on the number it reads
// (blanks left out) and reads back what NumberText writes, in plain digits ("100000", not "1e+05").
// Input: a mode byte, then the text (UTF-8 when mode % 8 == 0, else a character a byte) whose
// first four bytes are also a float for NumberText.

#include <bit>
#include <cerrno>
#include <cmath>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <optional>
#include <regex>

#include "Val.h"
#include "app_services.h"
#include "runtime_error.h"

namespace {

// Val's result as bits (so -0 and 0 differ), nothing for an error.
std::optional<std::uint64_t> TryVal(const std::wstring& text)
{
    try {
        double value = Val(text);
        assert(std::isfinite(value) && "Val gave a number that is not finite");
        return std::bit_cast<std::uint64_t>(value);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(data + 1, data + size);
    const std::wstring text = data[0] % 8 == 0 ? FromAnsi(bytes) : std::wstring(bytes.begin(), bytes.end());

    // The reference: the leading number with blanks left out, an exponent only right after a digit.
    std::string kept;
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n')
            kept += c >= 0 && c < 0x80 ? static_cast<char>(c) : '?';
    static const std::regex number(R"(^[+-]?(\d+(\.\d+)?|\.\d+)([eE][+-]?\d+)?)");
    std::smatch match;
    errno = 0;
    double expected = std::regex_search(kept, match, number) ? std::strtod(match.str().c_str(), nullptr) : 0.0;
    std::optional<std::uint64_t> value = TryVal(text);
    if (errno == ERANGE && std::isinf(expected))
        assert(!value && "a number too large is not an error");
    else if (errno == ERANGE) // strtod may keep a subnormal that Val rounds to zero
        assert(value && (std::bit_cast<double>(*value) == 0 || *value == std::bit_cast<std::uint64_t>(expected)) &&
               "a number too small is not 0");
    else
        assert(value == std::bit_cast<std::uint64_t>(expected) && "Val differs from strtod on the same number");

    std::uint32_t bits = 0;
    std::memcpy(&bits, bytes.data(), std::min(bytes.size(), sizeof bits));
    if (float number = std::bit_cast<float>(bits); size >= 5 && std::isfinite(number)) {
        std::wstring written = NumberText(number);
        assert(written.find_first_not_of(L"-0123456789.") == std::wstring::npos && "NumberText wrote more than plain digits");
        std::optional<std::uint64_t> back = TryVal(written);
        assert(back && std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(*back))) == bits &&
               "NumberText does not read back as the same float");
    }
    return 0;
}
