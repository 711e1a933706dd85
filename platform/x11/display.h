#pragma once
// The one connection to the X server and what the rest of platform/x11 shares of it.

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "die.h"
#include "winapi.h"

// Opens the connection named by DISPLAY; raises an error when there is none.
void OpenDisplay();
Display* TheDisplay();

// What the window is made with: the screen's default visual; where a compositor draws the
// screen, a 32-bit one with alpha, so that the desktop shows outside the outline on every
// compositor (some show a window's whole rectangle, its shape aside).
struct WindowVisual {
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = None;  // the visual's own; None for the default visual
    unsigned long opaque = 0;  // the alpha bits of an opaque pixel; 0 without alpha
};
const WindowVisual& TheWindowVisual();

// The server's pixel value of a 0x00BBGGRR colour on the window's visual (opaque), and back.
unsigned long PixelOf(COLORREF color);
COLORREF ColorOf(unsigned long pixel);


// Makes requests about other clients' windows, which may be gone meanwhile: their errors are
// passed over. Any other protocol error ends the program with one line on standard error.
void RequestsAboutOthersWindows(const std::function<void()>& requests);

Atom AtomNamed(const char* name);

// Adds events to those the program selects on the root window: one mask for all that listen there.
void SelectRootEvents(Display* display, long mask);

