#pragma once
// Path texts on Linux. The program builds its paths as on Windows: the folder that
// App::Path gives, a "\" added (AddBackslash), a file name. A Linux name may hold "\",
// so only that added "\" separates; every other "\" is part of a name, and "/" separates.
// The program's folder thus stays the real one, character for character.

#include <cstdlib>
#include <optional>
#include <string>

#include "program_file.h"
#include "runtime_error.h"

// The program file itself, with symbolic links resolved.
inline const std::string& ProgramFile()
{
    static const std::string file = [] {
        char* resolved = realpath("/proc/self/exe", nullptr);
        if (!resolved)
            throw RuntimeError("cannot find the program file (/proc/self/exe)");
        std::string path = resolved;
        std::free(resolved);
        return path;
    }();
    return file;
}

// The name after the program's folder and the "\" the program added, for a text that starts so.
inline std::optional<std::string> NameInProgramFolder(const std::string& text)
{
    std::string folder = FolderOf(ProgramFile(), "/");
    if (folder.back() != '\\')
        folder += '\\';
    if (text.compare(0, folder.size(), folder) != 0)
        return std::nullopt;
    return text.substr(folder.size());
}

inline std::string NativePath(const std::string& text)
{
    std::optional<std::string> name = NameInProgramFolder(text);
    if (!name)
        return text;
    std::string folder = FolderOf(ProgramFile(), "/");
    return folder + (folder.back() == '/' ? "" : "/") + *name;
}
