#pragma once
// Keeping a topmost window above ordinary windows on its own: it is override-redirect,
// so no window manager frames, places or stacks it.

#include <X11/Xlib.h>

#include <chrono>
#include <optional>

struct NativeForm;

// Asks for the notifications that tell when the stacking of top-level windows changes.
void WatchStacking(Display* display);
// Takes such a notification; false for any other event.
bool TakeStackingEvent(const XEvent& event);

// Restacks the window directly above the highest ordinary window over it, if any.
// Never above an override-redirect window (menus, screen lockers, other heads) nor
// above a window kept above itself (docks, notifications, "always on top"). When it
// may step down (a window just created is on top of all), the highest ordinary window
// under it counts too. The server is asked about windows only when those shown over
// the head have changed since the last look: a busy desktop costs no request.
void KeepAbove(Display* display, NativeForm& native, bool mayStepDown = false);

// When the head must look again though no notification came: where it yields to a
// window that raises itself whenever it is covered, once the time of yielding is over.
std::optional<std::chrono::steady_clock::time_point> NextLookAt();
