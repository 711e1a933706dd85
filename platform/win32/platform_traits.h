#pragma once
// What the program must know of the file system it runs on.

// Windows file names ignore letter case.
inline constexpr bool FileNamesIgnoreCase = true;
