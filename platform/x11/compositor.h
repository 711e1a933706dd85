#pragma once
// What draws the screen: Xwayland leaves it to the Wayland compositor, and on an X server of
// its own a compositing manager may take it over.

#include <X11/Xlib.h>

// The server is Xwayland: the session is a Wayland one (XDG_SESSION_TYPE, WAYLAND_DISPLAY), or
// the server says so with its extension (Xwayland 23.1 and later) or by the names of its RandR
// outputs (XWAYLAND0 and on).
bool XwaylandServer(Display* display);

// A compositor puts the windows together: always under Xwayland; on X11 while a compositing
// manager owns the selection _NET_WM_CM_S<screen>.
bool CompositorDrawsScreen(Display* display);
