// Val on any text: it must not crash, must give a finite number or RuntimeError,
// must agree with strtod on the number it reads, must not care where blanks are,
// and must read back every number NumberText writes.

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "Val.h"
#include "runtime_error.h"

namespace {

// Bytes as the characters of a text: one by one, or (now and then) as UTF-8,
// which is how the program turns what it read from the settings file into text.
std::wstring Widened(const std::uint8_t* data, std::size_t size)
{
    return std::wstring(data, data + size);
}

std::wstring DecodedUtf8(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    for (std::size_t i = 0; i < size;) {
        std::uint8_t lead = data[i];
        int length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool whole = length > 0 && i + length <= size;
        for (int k = 1; whole && k < length; ++k) {
            whole = (data[i + k] & 0xC0) == 0x80;
            c = c << 6 | (data[i + k] & 0x3F);
        }
        text += whole && c <= 0x10FFFF ? static_cast<wchar_t>(c) : L'\uFFFD';
        i += whole ? length : 1;
    }
    return text;
}

// A small generator seeded from the input, so a run can be repeated exactly.
struct Random {
    std::uint64_t state;
    std::uint32_t Next()
    {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<std::uint32_t>(state >> 33);
    }
};

std::wstring WithBlanksInserted(const std::wstring& text, Random& random)
{
    static constexpr wchar_t blanks[] = {L' ', L'\t', L'\n'};
    std::wstring spaced;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        while (random.Next() % 4 == 0)
            spaced += blanks[random.Next() % 3];
        if (i < text.size())
            spaced += text[i];
    }
    return spaced;
}

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
    std::size_t fraction = 0;
    bool point = at < kept.size() && kept[at] == '.';
    if (point)
        fraction = digitsAt(at + 1);
    if (whole + fraction == 0)
        return 0.0;
    std::size_t length = at + (point ? 1 + fraction : 0);
    // An exponent counts only right after a digit: "7.e1" reads as 7.
    if ((!point || fraction > 0) && length < kept.size() && (kept[length] == 'e' || kept[length] == 'E')) {
        std::size_t sign = length + 1 < kept.size() && (kept[length + 1] == '+' || kept[length + 1] == '-');
        if (std::size_t exponent = digitsAt(length + 1 + sign))
            length += 1 + sign + exponent;
    }

    std::string number = kept.substr(0, length);
    errno = 0;
    double value = std::strtod(number.c_str(), nullptr);
    tooSmall = errno == ERANGE && std::fabs(value) < 1;
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

std::optional<double> TryVal(const std::wstring& text)
{
    try {
        double value = Val(text);
        if (!std::isfinite(value))
            std::abort();
        return value;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

bool SameNumber(std::optional<double> a, std::optional<double> b)
{
    return a.has_value() == b.has_value() &&
           (!a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b));
}

void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "val_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    std::wstring text = mode % 8 == 0 ? DecodedUtf8(data + 1, size - 1) : Widened(data + 1, size - 1);

    std::optional<double> value = TryVal(text);
    bool tooSmall = false;
    std::optional<double> expected = Expected(text, tooSmall);
    if (tooSmall) // strtod may keep a subnormal that Val rounds to zero
        Check(value && (*value == 0 || *value == *expected), "a number too small to hold is not 0");
    else
        Check(SameNumber(value, expected), "Val differs from strtod on the same number");

    Random random{std::hash<std::wstring>{}(text) ^ mode};
    Check(SameNumber(TryVal(WithBlanksInserted(text, random)), value), "inserted blanks changed the result");

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
