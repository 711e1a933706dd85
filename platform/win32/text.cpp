// The program's Unicode texts and the system's 8-bit texts: the ANSI code page on Windows.

#include <climits>

#include "app_services.h"
#include "runtime_error.h"
#include "winapi.h"

std::string ToAnsi(const std::wstring& text)
{
    if (text.empty())
        return {};
    if (text.size() > INT_MAX)
        throw RuntimeError("text too long for the system code page");
    int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring FromAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    if (bytes.size() > INT_MAX)
        throw RuntimeError("text too long for the system code page");
    int length = static_cast<int>(bytes.size());
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), size);
    return text;
}
