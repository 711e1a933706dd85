// The gdi32 region calls on Xlib's own regions.

#include <X11/Xutil.h>

#include <algorithm>
#include <climits>

#include "device_pixels.h"
#include "runtime_error.h"
#include "winapi.h"

#include <X11/Xregion.h> // after winapi.h: it defines TRUE and FALSE as macros

namespace {

Region AsRegion(HRGN region) { return reinterpret_cast<Region>(region); }

// X rectangles hold 16-bit positions and sizes.
short ToShort(int value) { return static_cast<short>(std::clamp(value, SHRT_MIN, SHRT_MAX)); }

// As Windows tells it: no rectangle, one, or more. Xlib keeps its regions as bands of
// rectangles, as Windows does, so the count is the same.
int Complexity(Region region)
{
    return region->numRects == 0 ? NULLREGION : region->numRects == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    Region region = XCreateRegion();
    if (!region)
        return nullptr;
    // Held in device pixels from the start: unions of the scaled rectangles are the scaled unions.
    const PixelScale& scale = ScreenScale();
    short x1 = ToShort(scale.ToDevice(std::min(left, right))), x2 = ToShort(scale.ToDevice(std::max(left, right)));
    short y1 = ToShort(scale.ToDevice(std::min(top, bottom))), y2 = ToShort(scale.ToDevice(std::max(top, bottom)));
    if (x2 > x1 && y2 > y1) {
        XRectangle rectangle{x1, y1, static_cast<unsigned short>(x2 - x1), static_cast<unsigned short>(y2 - y1)};
        XUnionRectWithRegion(&rectangle, region, region);
    }
    return reinterpret_cast<HRGN>(region);
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode)
{
    Region result = AsRegion(destination), a = AsRegion(source1), b = AsRegion(source2);
    if (!result || !a || !b)
        return ERROR;
    if (mode != RGN_OR) // the union is the one way the program combines regions
        throw RuntimeError("CombineRgn here only unites regions (RGN_OR)");
    XUnionRegion(a, b, result);
    return Complexity(result);
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    XDestroyRegion(reinterpret_cast<Region>(object)); // regions are the only objects here
    return TRUE;
}
