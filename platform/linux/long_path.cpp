// GetLongPathNameA on Linux: the canonical path of an existing file.

#include <cstdlib>
#include <cstring>
#include <string>

#include "path_text.h"
#include "winapi.h"

DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength)
{
    if (!shortPath || !*shortPath)
        return 0;
    std::string canonical;
    // The program asks for itself by its Windows name, its name with ".exe", which a Linux
    // program file lacks. That is the running program, whose folder is canonical already:
    // the answer is the text asked, whatever file or link has that name beside it.
    if (NameInProgramFolder(shortPath) == NameWithoutExtension(ProgramFile(), "/") + ".exe") {
        canonical = shortPath;
    } else {
        char* resolved = realpath(NativePath(shortPath).c_str(), nullptr);
        if (!resolved)
            return 0;
        canonical = resolved;
        std::free(resolved);
    }
    if (canonical.size() >= bufferLength || !longPath)
        return static_cast<DWORD>(canonical.size() + 1); // the size it would need, buffer untouched
    std::memcpy(longPath, canonical.c_str(), canonical.size() + 1);
    return static_cast<DWORD>(canonical.size());
}
