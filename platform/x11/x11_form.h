#pragma once
// A form's window on X11, shared by the files of platform/x11.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <vector>

#include "circle_batch.h"
#include "form.h"

struct NativeForm {
    Form* form = nullptr;
    Window window = 0;
    Pixmap image = 0;          // the kept image, also the window's background
    GC gc = nullptr;
    int width = 0;             // device pixels
    int height = 0;
    int logicalWidth = 0;      // the design's size, in the program's pixels
    int logicalHeight = 0;
    int left = 0;              // the window's position on the root window in device pixels
    int top = 0;
    bool mapped = false;
    bool topmost = false;
    const Picture* picture = nullptr; // the design's, which the form keeps
    bool drawnOn = false;            // the kept image holds more than the picture
    XImage* pixelCache = nullptr;    // a copy of the kept image for pixel reads, dropped by drawing
    CircleBatch circles;          // drawing for the kept image not yet sent
    Region shape = nullptr;       // the region handed over by SetWindowRgn, owned by the window
    std::vector<std::chrono::steady_clock::time_point> nextTicks; // one per timer
};

NativeForm* FormOfWindow(Window window);
NativeForm* FormOfHandle(HWND handle);
// Something was drawn into the kept image: pixel reads must ask the server.
void KeptImageDrawn(NativeForm& native);
