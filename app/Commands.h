#pragma once
// The program's shared environment (where it lives, where its settings go) and
// the reading and writing of one value of the settings file.

#include <string>

namespace Commands {

inline std::wstring AppPath;    // the program's folder, ending in "\"
inline std::wstring IniSection; // the settings section
inline std::wstring ExeName;    // the program file's name without folder and extension
inline std::wstring IniFile;    // the settings file's full path

void InitPaths();
void InitIniFile();
std::wstring& AddBackslash(std::wstring& path);
std::wstring ReadIni(const std::wstring& section, const std::wstring& key, const std::wstring& file,
                     const std::wstring& defaultValue);
void WriteIni(const std::wstring& section, const std::wstring& key, const std::wstring& value,
              const std::wstring& file);
std::wstring GetLongName(const std::wstring& path);

// The path with a capital at its start and after each of " -(_\", small letters elsewhere.
std::wstring CaseNormalised(const std::wstring& path);

} // namespace Commands
