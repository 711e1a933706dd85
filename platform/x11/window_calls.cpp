// The user32 calls the program makes, on X11: cursor, window rectangle, topmost
// layer, window region and the move that a press on the title bar starts.

#include <X11/extensions/shape.h>

#include "device_pixels.h"
#include "display.h"
#include "event_loop.h"
#include "monitors.h"
#include "native_form.h"
#include "pointer.h"
#include "stacking.h"
#include "winapi.h"
#include "x11_form.h"

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    int x, y;
    if (!PointerPosition(TheDisplay(), x, y))
        return FALSE;
    const MonitorArea& primary = PrimaryMonitor(); // the program counts from its corner
    *point = {ToLogical(x - primary.x), ToLogical(y - primary.y)};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    NativeForm* native = FormOfHandle(window);
    if (!native || !rect)
        return FALSE;
    POINT device = NativePosition(*native);
    POINT position{ToLogicalEdge(device.x), ToLogicalEdge(device.y)};
    *rect = {position.x, position.y, position.x + native->logicalWidth, position.y + native->logicalHeight};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int /*x*/, int /*y*/, int /*cx*/, int /*cy*/, UINT flags)
{
    NativeForm* native = FormOfHandle(window);
    if (!native)
        return FALSE;
    Display* display = TheDisplay();
    // The program moves its window through its Top and Left, never through here.
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE))
        return FALSE;
    // The program only ever asks for the topmost layer; the window keeps itself there.
    if (insertAfter == HWND_TOPMOST) {
        native->topmost = true;
        WatchStacking(display);
        if (native->mapped)
            KeepAbove(display, *native);
    }
    XFlush(display);
    return TRUE;
}

int SetWindowRgn(HWND window, HRGN region, BOOL /*redraw: X redraws a reshaped window itself*/)
{
    NativeForm* native = FormOfHandle(window);
    auto* shape = reinterpret_cast<Region>(region);
    if (!native || !shape) // the program always hands over a region
        return 0;
    Display* display = TheDisplay();
    XShapeCombineRegion(display, native->window, ShapeBounding, 0, 0, shape, ShapeSet);
    XShapeCombineRegion(display, native->window, ShapeInput, 0, 0, shape, ShapeSet);
    // From now on the region belongs to the window.
    if (native->shape)
        XDestroyRegion(native->shape);
    native->shape = shape;
    XFlush(display);
    return 1;
}

BOOL ReleaseCapture()
{
    XUngrabPointer(TheDisplay(), CurrentTime);
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    NativeForm* native = FormOfHandle(window);
    if (native && message == WM_NCLBUTTONDOWN && wParam == HTCAPTION)
        MoveWithPointer(*native);
    return 0;
}
