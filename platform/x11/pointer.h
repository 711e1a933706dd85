#pragma once
// Where the pointer is, asking the X server only when it may have moved since the
// last answer: XInput 2 raw motion says that a device moved it, and a real query at
// least every pointerSafetyNet catches warps, which no device reports.

#include <X11/Xlib.h>

#include <chrono>

constexpr std::chrono::milliseconds pointerSafetyNet{800};

// The pointer's position on the root window; false where the server cannot tell.
bool PointerPosition(Display* display, int& x, int& y);

// Takes a raw motion event of the event loop's; false for any other event.
bool TakePointerEvent(Display* display, const XEvent& event);
