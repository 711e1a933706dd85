#pragma once
// The Windows calls the program makes: on Windows, the originals, but for three.
// Found by the name winapi.h through the include path (platform/win32/platform.cmake), as
// platform/linux/winapi.h is on Linux.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The program counts in logical pixels of 1/96 inch, on Windows as on X11. The process is
// per-monitor DPI aware (resources/lookout.manifest), so the system is never to stretch the
// window, and its own calls count each monitor's device pixels. These three therefore take
// and give the program's pixels, at the DPI of the program's window (window_calls.cpp):
// the cursor and the window's rectangle counted from the primary monitor's top-left corner,
// and a region the window keeps in logical pixels and shows scaled, at every DPI it moves to.
// They carry the originals' names, as windows.h itself maps SendMessage to SendMessageW, so
// the program's code reads the same on both systems.
BOOL GetLogicalCursorPos(POINT* point);
BOOL GetLogicalWindowRect(HWND window, RECT* rect); // of the program's windows only
int SetLogicalWindowRgn(HWND window, HRGN region, BOOL redraw);
#define GetCursorPos GetLogicalCursorPos
#define GetWindowRect GetLogicalWindowRect
#define SetWindowRgn SetLogicalWindowRgn
