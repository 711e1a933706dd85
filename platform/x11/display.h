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

// The server's pixel value of a 0x00BBGGRR colour on the default visual, and back.
unsigned long PixelOf(COLORREF color);
COLORREF ColorOf(unsigned long pixel);


// Makes requests about other clients' windows, which may be gone meanwhile: their errors are
// passed over. Any other protocol error ends the program with one line on standard error.
void RequestsAboutOthersWindows(const std::function<void()>& requests);

Atom AtomNamed(const char* name);

// Adds events to those the program selects on the root window: one mask for all that listen there.
void SelectRootEvents(Display* display, long mask);

