// The three calls that the program makes in its logical pixels (winapi.h), over the
// system's own, which count device pixels.

#include <vector>

#include "checked_int.h"
#include "runtime_error.h"
#include "win32_form.h"
#include "window_dpi.h"

// Here the names mean the system's own calls again.
#undef GetCursorPos
#undef GetWindowRect
#undef SetWindowRgn

namespace {

// A region with each rectangle's edges scaled: the edges of a logical region's
// rectangles, so the shape meets the picture that the kept image shows.
HRGN ScaledRegion(HRGN logical, const PixelScale& scale)
{
    DWORD size = GetRegionData(logical, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        throw RuntimeError("cannot read the window's region");
    std::vector<RECT> buffer(size / sizeof(RECT) + 1); // RECTs keep the data aligned
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(logical, size, data) != size)
        throw RuntimeError("cannot read the window's region");
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    DWORD kept = 0;
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        RECT device{scale.ToDevice(rects[i].left), scale.ToDevice(rects[i].top), scale.ToDevice(rects[i].right),
                    scale.ToDevice(rects[i].bottom)};
        if (device.left < device.right && device.top < device.bottom) // below 96 DPI a run may vanish
            rects[kept++] = device;
    }
    const RECT& bound = data->rdh.rcBound;
    data->rdh.rcBound = {scale.ToDevice(bound.left), scale.ToDevice(bound.top), scale.ToDevice(bound.right),
                         scale.ToDevice(bound.bottom)};
    data->rdh.nCount = kept;
    data->rdh.nRgnSize = kept * sizeof(RECT);
    HRGN device = ExtCreateRegion(nullptr, sizeof(RGNDATAHEADER) + kept * sizeof(RECT), data);
    if (!device)
        throw RuntimeError("cannot make the window's region");
    return device;
}

} // namespace

RECT DeviceWindowRect(const NativeForm& native)
{
    RECT rect{};
    if (!GetWindowRect(native.window, &rect))
        throw RuntimeError("cannot read the window's position");
    return rect;
}

void ShowRegion(NativeForm& native, BOOL redraw)
{
    if (!native.region)
        return;
    // From here on the system owns the scaled copy.
    HRGN device = ScaledRegion(native.region, native.scale);
    if (!SetWindowRgn(native.window, device, redraw)) {
        DeleteObject(device);
        throw RuntimeError("cannot shape the window");
    }
}

BOOL GetLogicalCursorPos(POINT* point)
{
    POINT device;
    if (!point || !GetCursorPos(&device))
        return FALSE;
    PixelScale scale = ScaleOfDpi(CursorDpi());
    *point = {scale.ToLogical(device.x), scale.ToLogical(device.y)};
    return TRUE;
}

BOOL GetLogicalWindowRect(HWND window, RECT* rect)
{
    NativeForm* native = FormOfHandle(window);
    RECT device;
    if (!native || !rect || !GetWindowRect(window, &device))
        return FALSE;
    POINT position{native->scale.ToLogicalEdge(device.left), native->scale.ToLogicalEdge(device.top)};
    *rect = {position.x, position.y, CheckedAdd(position.x, native->logicalWidth),
             CheckedAdd(position.y, native->logicalHeight)};
    return TRUE;
}

int SetLogicalWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    NativeForm* native = FormOfHandle(window);
    if (!native)
        return 0;
    if (!region)
        throw RuntimeError("SetWindowRgn here only gives a window a region, never takes it back");
    // From now on the region belongs to the window, which shows it scaled at every DPI it moves to.
    if (native->region)
        DeleteObject(native->region);
    native->region = region;
    ShowRegion(*native, redraw);
    return 1;
}
