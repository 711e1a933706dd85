// GetLongPathNameA on Linux: the canonical path of an existing file.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "path_text.h"
#include "winapi.h"

DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength)
{
    if (!shortPath || !*shortPath)
        return 0;
    char* resolved = realpath(NativePath(shortPath).c_str(), nullptr);
    if (!resolved)
        return 0;
    std::string canonical = resolved;
    std::free(resolved);
    if (canonical.size() >= bufferLength || !longPath)
        return static_cast<DWORD>(canonical.size() + 1); // the size it would need, buffer untouched
    std::memcpy(longPath, canonical.c_str(), canonical.size() + 1);
    return static_cast<DWORD>(canonical.size());
}
