// The program's Unicode texts and the system's 8-bit texts: UTF-8 on Linux.
// Bytes that are not UTF-8 (a file name may hold any) come back unchanged
// after a round trip: each maps to a code point of its own, U+DC80 to U+DCFF.

#include <string>

#include "app_services.h"

std::string ToAnsi(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t wide : text) {
        auto c = static_cast<char32_t>(wide);
        if (c >= 0xDC80 && c <= 0xDCFF) {
            bytes += static_cast<char>(c - 0xDC00);
        } else if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            bytes += static_cast<char>(0xF0 | c >> 18);
            bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += "\xEF\xBF\xBD";
        }
    }
    return bytes;
}

std::wstring FromAnsi(const std::string& bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (c < smallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF))
            valid = false;
        if (valid) {
            text += static_cast<wchar_t>(c);
            i += length;
        } else {
            text += static_cast<wchar_t>(0xDC00 + lead);
            ++i;
        }
    }
    return text;
}
