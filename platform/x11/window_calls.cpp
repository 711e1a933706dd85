// The user32 calls the program makes, on X11: cursor, window rectangle, topmost
// layer, window region and the move that a press on the title bar starts.

#include <X11/extensions/shape.h>

#include "display.h"
#include "event_loop.h"
#include "monitors.h"
#include "native_form.h"
#include "stacking.h"
#include "winapi.h"
#include "x11_form.h"

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    Display* display = TheDisplay();
    Window root, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &buttons))
        return FALSE;
    const MonitorArea& primary = PrimaryMonitor(); // the program counts from its corner
    *point = {rootX - primary.x, rootY - primary.y};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    NativeForm* native = FormOfHandle(window);
    if (!native || !rect)
        return FALSE;
    POINT position = NativePosition(*native);
    *rect = {position.x, position.y, position.x + native->width, position.y + native->height};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    NativeForm* native = FormOfHandle(window);
    if (!native)
        return FALSE;
    Display* display = TheDisplay();
    if (!(flags & SWP_NOMOVE))
        NativeMove(*native, x, y);
    if (!(flags & SWP_NOSIZE) && (cx != native->width || cy != native->height))
        return FALSE; // the window keeps the size of its picture
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
    if (!native)
        return 0;
    Display* display = TheDisplay();
    auto* shape = reinterpret_cast<Region>(region);
    if (shape) {
        XShapeCombineRegion(display, native->window, ShapeBounding, 0, 0, shape, ShapeSet);
        XShapeCombineRegion(display, native->window, ShapeInput, 0, 0, shape, ShapeSet);
    } else {
        XShapeCombineMask(display, native->window, ShapeBounding, 0, 0, None, ShapeSet);
        XShapeCombineMask(display, native->window, ShapeInput, 0, 0, None, ShapeSet);
    }
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
