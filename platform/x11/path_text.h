#pragma once
// Paths as the program writes them use "\" between folders, as on Windows;
// on Linux both "\" and "/" separate folders.

#include <algorithm>
#include <string>

inline std::string NativePath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
