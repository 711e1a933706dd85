#pragma once
// Both window systems keep positions and sizes in 16 bits: X in its protocol,
// Windows in the messages that report a move (WM_MOVE).

#include <climits>
#include <string>

#include "dpi_scale.h"
#include "runtime_error.h"

inline bool FitsInShort(long long value) { return value >= SHRT_MIN && value <= SHRT_MAX; }

struct DeviceSize {
    int width, height;
};

// A window's size in device pixels at a scale; raises where the window would be empty or
// larger than a window system holds.
inline DeviceSize WindowSizeAt(const PixelScale& scale, int logicalWidth, int logicalHeight)
{
    int width = scale.ToDevice(logicalWidth), height = scale.ToDevice(logicalHeight);
    if (logicalWidth <= 0 || logicalHeight <= 0 || width <= 0 || height <= 0 || !FitsInShort(width) ||
        !FitsInShort(height))
        throw RuntimeError("window size out of range: " + std::to_string(width) + "x" + std::to_string(height));
    return {width, height};
}
