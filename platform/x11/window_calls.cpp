// The user32 calls the program makes, on X11: cursor, window rectangle, topmost
// layer, window region and the move that a press on the title bar starts.

#include <X11/extensions/shape.h>

#include "device_pixels.h"
#include "display.h"
#include "event_loop.h"
#include "monitors.h"
#include "native_form.h"
#include "pointer.h"
#include "runtime_error.h"
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
    *point = {ScreenScale().ToLogical(x - primary.x), ScreenScale().ToLogical(y - primary.y)};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    NativeForm* native = FormOfHandle(window);
    if (!native || !rect)
        return FALSE;
    POINT device = NativePosition(*native);
    POINT position{ScreenScale().ToLogicalEdge(device.x), ScreenScale().ToLogicalEdge(device.y)};
    *rect = {position.x, position.y, position.x + native->logicalWidth, position.y + native->logicalHeight};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int /*x*/, int /*y*/, int /*cx*/, int /*cy*/, UINT flags)
{
    NativeForm* native = FormOfHandle(window);
    if (!native)
        return FALSE;
    // The program moves its window through its Top and Left, and only ever asks for the
    // topmost layer, which the window then keeps itself.
    if (insertAfter != HWND_TOPMOST || !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE))
        throw RuntimeError("SetWindowPos here only puts a window into the topmost layer, without moving or sizing it");
    Display* display = TheDisplay();
    native->topmost = true;
    WatchStacking(display);
    if (native->mapped)
        KeepAbove(display, *native);
    XFlush(display);
    return TRUE;
}

int SetWindowRgn(HWND window, HRGN region, BOOL /*redraw: X redraws a reshaped window itself*/)
{
    NativeForm* native = FormOfHandle(window);
    auto* shape = reinterpret_cast<Region>(region);
    if (!native)
        return 0;
    if (!shape)
        throw RuntimeError("SetWindowRgn here only gives a window a region, never takes it back");
    Display* display = TheDisplay();
    XShapeCombineRegion(display, native->window, ShapeBounding, 0, 0, shape, ShapeSet);
    XShapeCombineRegion(display, native->window, ShapeInput, 0, 0, shape, ShapeSet);
    // From now on the region belongs to the window.
    if (native->shape)
        XDestroyRegion(native->shape);
    native->shape = shape;
    ClearOutsideShape(*native);
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
    if (!native)
        return 0;
    // A press on the title bar starts the system's move: the one message the program sends.
    if (message != WM_NCLBUTTONDOWN || wParam != HTCAPTION)
        throw RuntimeError("SendMessageA here only starts a window's move, as a press on its title bar does");
    MoveWithPointer(*native);
    return 0;
}
