#pragma once
// What the program must know of the file system it runs on.

// Linux file names are case-sensitive: a path with its letter case changed names another file.
inline constexpr bool FileNamesIgnoreCase = false;
