#pragma once
// Telling a double-click from two single presses, the same way on every system.
// The move that a press on the window starts eats the system's own double-click
// detection on some systems, so the window keeps track itself.

#include <cstdint>
#include <cstdlib>

struct Press {
    std::uint32_t time = 0; // event time, in milliseconds; wraps after 49.7 days
    int x = 0;              // screen position, so that a move in between does not matter
    int y = 0;
};

// Windows' defaults; each system asks for the user's own (on X11, the desktop's XSETTINGS).
struct DoubleClickLimits {
    std::uint32_t time = 500; // GetDoubleClickTime()
    int width = 4;            // SM_CXDOUBLECLK: the rectangle centred on the first press
    int height = 4;           // SM_CYDOUBLECLK
};

// Whether a press, following the first one, completes a double-click.
inline bool CompletesDoubleClick(const Press& first, const Press& second, const DoubleClickLimits& limits = {})
{
    return second.time - first.time <= limits.time && std::abs(second.x - first.x) <= limits.width / 2 &&
           std::abs(second.y - first.y) <= limits.height / 2;
}
