// The shared environment and the settings file's values.

#include "Commands.h"

#include <algorithm>
#include <cstring>

#include "app_services.h"
#include "ascii_case.h"
#include "platform_traits.h"
#include "runtime_error.h"
#include "winapi.h"

namespace Commands {

namespace {

constexpr DWORD readBufferLength = 2048;
constexpr DWORD longPathBufferLength = 260;

std::wstring UCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = UpperAscii(c);
    return text;
}

} // namespace

void InitPaths()
{
    ResumeNext([] { AppPath = App::Path(); });
    ResumeNext([] { AddBackslash(AppPath); });
    ResumeNext([] { ExeName = App::EXEName(); });
}

void InitIniFile()
{
    std::wstring longName;
    ResumeNext([] { IniSection = L"Tarvex Blinkmor"; });
    ResumeNext([&] { longName = GetLongName(AppPath + ExeName + L".exe"); });
    ResumeNext([&] {
        if (longName.size() < 3)
            throw RuntimeError("no settings file name from the program path \"" + ToAnsi(longName) + "\"");
        IniFile = longName.substr(0, longName.size() - 3) + L"ini";
    });
}

std::wstring& AddBackslash(std::wstring& path)
{
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path;
}

std::wstring ReadIni(const std::wstring& section, const std::wstring& key, const std::wstring& file,
                     const std::wstring& defaultValue)
{
    // Without a file name the platform would look in a file of its own choosing.
    if (file.empty())
        return defaultValue;
    char buffer[readBufferLength] = {};
    DWORD count = 0;
    ResumeNext([&] {
        count = GetPrivateProfileStringA(ToAnsi(UCase(section)).c_str(), ToAnsi(UCase(key)).c_str(), "", buffer,
                                         readBufferLength, ToAnsi(file).c_str());
    });
    if (count == 0)
        return defaultValue;
    return FromAnsi(std::string(buffer, std::min(count, readBufferLength - 1)));
}

void WriteIni(const std::wstring& section, const std::wstring& key, const std::wstring& value,
              const std::wstring& file)
{
    if (file.empty())
        return;
    ResumeNext([&] {
        WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str(),
                                   ToAnsi(file).c_str());
    });
}

std::wstring GetLongName(const std::wstring& path)
{
    char buffer[longPathBufferLength] = {};
    DWORD length = 0;
    ResumeNext([&] { length = GetLongPathNameA(ToAnsi(path).c_str(), buffer, longPathBufferLength); });
    if (length != 0)
        return FromAnsi(std::string(buffer, strnlen(buffer, longPathBufferLength)));
    // Changing the letter case names another folder where file names are case-sensitive.
    if (!FileNamesIgnoreCase)
        return path;
    return CaseNormalised(path);
}

std::wstring CaseNormalised(const std::wstring& path)
{
    static constexpr std::wstring_view startsCapital = L" -(_\\";
    std::wstring result = path;
    for (std::size_t i = 1; i < result.size(); ++i)
        result[i] = startsCapital.find(path[i - 1]) != std::wstring_view::npos ? UpperAscii(result[i])
                                                                               : LowerAscii(result[i]);
    if (!result.empty())
        result[0] = UpperAscii(result[0]);
    return result;
}

} // namespace Commands
