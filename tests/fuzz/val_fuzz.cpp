// Val on any text: it must not crash, must give a finite number or RuntimeError,
// must agree with strtod on the number it reads (blanks left out), and must
// read back every number NumberText writes.
//
// Input: a mode byte, then the text's bytes: as UTF-8, as the program reads the
// settings file, when mode % 8 == 0, else one character a byte. The first four
// bytes after the mode are also a float for NumberText.

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "Val.h"
#include "app_services.h"
#include "fuzz_text.h"
#include "runtime_error.h"

using fuzz_text::Check;

namespace {

// What Val should give, worked out another way: the longest start of the text
// (blanks left out) of the form [sign] digits [. digits] [E [sign] digits], read
// by strtod. Nothing means too large for a double; tooSmall, that strtod underflowed.
std::optional<double> Expected(const std::wstring& text, bool& tooSmall)
{
    std::string kept;
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n')
            kept += c >= 0 && c < 0x80 ? static_cast<char>(c) : '?';
    auto digitsAt = [&](std::size_t at) {
        std::size_t n = 0;
        while (at + n < kept.size() && kept[at + n] >= '0' && kept[at + n] <= '9')
            ++n;
        return n;
    };
    std::size_t at = kept.starts_with('+') || kept.starts_with('-') ? 1 : 0;
    std::size_t whole = digitsAt(at);
    at += whole;
    bool point = at < kept.size() && kept[at] == '.';
    std::size_t fraction = point ? digitsAt(at + 1) : 0;
    if (whole + fraction == 0)
        return 0.0;
    std::size_t length = at + (point ? 1 + fraction : 0);
    // An exponent counts only right after a digit: "7.e1" reads as 7.
    if ((!point || fraction > 0) && length < kept.size() && (kept[length] == 'e' || kept[length] == 'E')) {
        std::size_t sign = length + 1 < kept.size() && (kept[length + 1] == '+' || kept[length + 1] == '-');
        if (std::size_t exponent = digitsAt(length + 1 + sign))
            length += 1 + sign + exponent;
    }
    errno = 0;
    double value = std::strtod(kept.substr(0, length).c_str(), nullptr);
    tooSmall = errno == ERANGE && std::fabs(value) < 1;
    return errno == ERANGE && std::isinf(value) ? std::nullopt : std::optional(value);
}

std::optional<std::uint64_t> TryVal(const std::wstring& text) // as bits, so -0 and 0 differ
{
    try {
        double value = Val(text);
        Check(std::isfinite(value), "Val gave a number that is not finite");
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
    const std::uint8_t mode = data[0];
    const std::string bytes(data + 1, data + size);
    const std::wstring text = mode % 8 == 0 ? FromAnsi(bytes) : std::wstring(bytes.begin(), bytes.end());

    std::optional<std::uint64_t> value = TryVal(text);
    bool tooSmall = false;
    std::optional<double> expected = Expected(text, tooSmall);
    std::optional<std::uint64_t> expectedBits;
    if (expected)
        expectedBits = std::bit_cast<std::uint64_t>(*expected);
    if (tooSmall) // strtod may keep a subnormal that Val rounds to zero
        Check(value && (std::bit_cast<double>(*value) == 0 || value == expectedBits), "a number too small is not 0");
    else
        Check(value == expectedBits, "Val differs from strtod on the same number");

    std::uint32_t bits = 0;
    std::memcpy(&bits, bytes.data(), std::min(bytes.size(), sizeof bits));
    if (float number = std::bit_cast<float>(bits); size >= 5 && std::isfinite(number)) {
        std::optional<std::uint64_t> back = TryVal(NumberText(number));
        Check(back && std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(*back))) == bits,
              "NumberText does not read back as the same float");
    }
    return 0;
}
