// Val on any text: it must not crash, must give a finite number or RuntimeError,
// must agree with strtod on the number it reads, must not care where blanks are,
// and must read back every number NumberText writes.
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
// (blanks left out) of the form [sign] digits [. digits] [E [sign] digits],
// read by strtod. Nothing means a number too large for a double.
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
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

std::optional<double> TryVal(const std::wstring& text)
{
    try {
        double value = Val(text);
        Check(std::isfinite(value), "Val gave a number that is not finite");
        return value;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

bool SameNumber(std::optional<double> a, std::optional<double> b)
{
    return a.has_value() == b.has_value() && (!a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    const std::string bytes(data + 1, data + size);
    const std::wstring text = mode % 8 == 0 ? FromAnsi(bytes) : std::wstring(bytes.begin(), bytes.end());

    std::optional<double> value = TryVal(text);
    bool tooSmall = false;
    std::optional<double> expected = Expected(text, tooSmall);
    if (tooSmall) // strtod may keep a subnormal that Val rounds to zero
        Check(value && (*value == 0 || *value == *expected), "a number too small to hold is not 0");
    else
        Check(SameNumber(value, expected), "Val differs from strtod on the same number");

    // Blanks put in before characters chosen by the mode's bits, one cycle of them.
    std::wstring spaced;
    for (std::size_t i = 0; i < text.size(); ++i)
        spaced += (mode >> (i % 8) & 1 ? std::wstring(1, L" \t\n"[i % 3]) : L"") + text[i];
    Check(SameNumber(TryVal(spaced + L" "), value), "blanks put in changed the result");

    if (size >= 5) {
        std::uint32_t bits;
        std::memcpy(&bits, data + 1, sizeof bits);
        float number = std::bit_cast<float>(bits);
        if (std::isfinite(number)) {
            std::optional<double> back = TryVal(NumberText(number));
            Check(back && std::bit_cast<std::uint32_t>(static_cast<float>(*back)) == bits,
                  "NumberText does not read back as the same float");
        }
    }
    return 0;
}
