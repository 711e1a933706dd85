// Reading a number from a stored text, and writing one.

#include "Val.h"

#include <charconv>
#include <cmath>

#include "runtime_error.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a number that no double can hold is too large (rather than too small):
// where its first significant digit stands, counted from the decimal point.
bool IsTooLarge(const std::string& number)
{
    std::size_t point = number.find('.');
    std::size_t exponentAt = number.find_first_of("Ee");
    std::string digits = number.substr(0, exponentAt);
    std::size_t first = digits.find_first_not_of("0.");
    if (first == std::string::npos)
        return false; // all zeros
    if (point == std::string::npos)
        point = digits.size();
    long long magnitude = first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point);
    if (exponentAt != std::string::npos) {
        long long exponent = 0;
        const char* start = number.data() + exponentAt + 1;
        if (*start == '+')
            ++start;
        auto [stop, error] = std::from_chars(start, number.data() + number.size(), exponent);
        if (error == std::errc::result_out_of_range)
            return *start != '-';
        return exponent > -magnitude; // magnitude + exponent > 0, without overflowing
    }
    return magnitude > 0;
}

} // namespace

double Val(const std::wstring& text)
{
    std::string kept;
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n')
            kept += c < 0x80 ? static_cast<char>(c) : '?';

    // The longest start of the text that forms a number.
    std::size_t end = 0, i = 0;
    if (i < kept.size() && (kept[i] == '+' || kept[i] == '-'))
        ++i;
    std::size_t mantissa = i;
    while (i < kept.size() && IsDigit(kept[i]))
        end = ++i;
    if (i < kept.size() && kept[i] == '.') {
        ++i;
        while (i < kept.size() && IsDigit(kept[i]))
            end = ++i;
    }
    if (end == 0)
        return 0;
    if (i == end && i < kept.size() && (kept[i] == 'E' || kept[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < kept.size() && (kept[j] == '+' || kept[j] == '-'))
            ++j;
        while (j < kept.size() && IsDigit(kept[j]))
            end = ++j;
    }

    std::string number = kept.substr(mantissa, end - mantissa);
    if (number.front() == '.')
        number = "0" + number;
    double value = 0;
    auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (IsTooLarge(number))
            throw RuntimeError("stored number too large: " + number);
        value = 0; // too small to hold: as good as nothing
    }
    return kept[0] == '-' ? -value : value;
}

std::wstring NumberText(float value)
{
    // Plain digits, as Windows writes a coordinate: 100000 twips is "100000", never "1e+05".
    char digits[128];
    auto [stop, error] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(value))
        throw RuntimeError("a position that is not a finite number cannot be stored");
    std::wstring text(digits, stop);
    // Val reads a double, which then rounds to a float. For a rare few shortest
    // texts that second rounding misses, so those get the fewest decimals that do read back.
    for (int precision = 1; static_cast<float>(Val(text)) != value; ++precision) {
        stop = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision).ptr;
        text.assign(digits, stop);
    }
    return text;
}
