// The user32 calls the program makes, on X11: cursor, window rectangle, topmost
// layer, window region and the move that a press on the title bar starts.

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include "device_pixels.h"
#include "display.h"
#include "event_loop.h"
#include "native_form.h"
#include "pointer.h"
#include "winapi.h"
#include "x11_form.h"

namespace {

const HWND HWND_TOP = nullptr;
const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t{-2});

// Asks for the above state: before mapping through the window's own property,
// afterwards through the window manager (EWMH).
void SetAboveState(Display* display, NativeForm& native, bool above)
{
    Atom state = AtomNamed("_NET_WM_STATE");
    Atom aboveAtom = AtomNamed("_NET_WM_STATE_ABOVE");
    if (!native.mapped) {
        Atom type;
        int format;
        unsigned long count = 0, remaining;
        unsigned char* data = nullptr;
        std::vector<Atom> states;
        if (XGetWindowProperty(display, native.window, state, 0, 64, False, XA_ATOM, &type, &format, &count,
                               &remaining, &data) == Success && data) {
            auto* atoms = reinterpret_cast<Atom*>(data);
            for (unsigned long i = 0; i < count; ++i)
                if (atoms[i] != aboveAtom)
                    states.push_back(atoms[i]);
            XFree(data);
        }
        if (above)
            states.push_back(aboveAtom);
        XChangeProperty(display, native.window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(states.data()), static_cast<int>(states.size()));
        return;
    }
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = native.window;
    message.xclient.message_type = state;
    message.xclient.format = 32;
    message.xclient.data.l[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
    message.xclient.data.l[1] = static_cast<long>(aboveAtom);
    message.xclient.data.l[3] = 1; // from an application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &message);
}

} // namespace

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    int x, y;
    if (!PointerPosition(TheDisplay(), x, y))
        return FALSE;
    *point = {ToLogical(x), ToLogical(y)};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    NativeForm* native = FormOfHandle(window);
    if (!native || !rect)
        return FALSE;
    POINT position = NativePosition(*native);
    *rect = {position.x, position.y, position.x + native->logicalWidth, position.y + native->logicalHeight};
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
    if (!(flags & SWP_NOSIZE) && (cx != native->logicalWidth || cy != native->logicalHeight))
        return FALSE; // the window keeps the size of its picture
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        native->topmost = insertAfter == HWND_TOPMOST;
        SetAboveState(display, *native, native->topmost);
    }
    if (native->mapped && (insertAfter == HWND_TOPMOST || insertAfter == HWND_TOP))
        XRaiseWindow(display, native->window);
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
