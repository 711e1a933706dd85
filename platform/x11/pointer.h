#pragma once
// Where the pointer is, asking the X server only when it may have moved since the last
// answer. While the pointer rests the program listens for its next motion: RECORD reports
// every motion, warps by any client included; XInput 2 raw touch reports a finger on a
// touchscreen. Without RECORD, and under Xwayland, XInput 2 raw motion reports the input
// devices, and a real query at least every pointerSafetyNet catches warps.

#include <X11/Xlib.h>

#include <chrono>
#include <utility>

constexpr std::chrono::milliseconds pointerSafetyNet{800};

// The pointer's position on the root window; false where the server cannot tell.
bool PointerPosition(Display* display, int& x, int& y);

// Takes an XInput 2 raw event of the event loop's; false for any other event.
bool TakePointerEvent(Display* display, const XEvent& event);
// The RECORD connection's descriptor for the event loop's poll (-1 without one), and
// reading it when the poll says so; true when it reported a motion.
int PointerRecordFd();
bool ReadPointerRecord();

// The server moved the pointer without a motion to report (a screen that shrank under it).
void PointerMayHaveMoved(Display* display);

// Until when the last answer surely holds unless an event says otherwise: for ever
// (time_point::max) where RECORD reports every motion, else until the next query is due;
// a time past while motion goes unheard.
std::chrono::steady_clock::time_point PointerStillUntil();
// The last answer: the pointer's position on the root window.
std::pair<int, int> LastPointerPosition();
