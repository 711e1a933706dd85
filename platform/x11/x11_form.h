#pragma once
// A form's window on X11, shared by the files of platform/x11.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <optional>

#include "circle_batch.h"
#include "event_loop.h"
#include "form.h"

// What a tick is told by the platform: the pointer's place, the window's, and the
// primary monitor's corner that both are counted from (device pixels).
struct TickInputs {
    int pointerX, pointerY, left, top, originX, originY;
    bool operator==(const TickInputs&) const = default;
};

// The form's timer.
struct FormTicks {
    std::chrono::steady_clock::time_point due;
    bool asleep = false;        // ticks let pass: nothing they read has changed
    bool ran = false;           // a tick in this pass of the event loop
    std::uint64_t sentBefore = 0; // the batches of circles sent before it
    bool drewNew = true;        // the last tick sent drawing to the server
    bool handlerRan = false;    // another handler since the last tick
    std::optional<TickInputs> lastRead;
};

struct NativeForm {
    Form* form = nullptr;
    Display* display = nullptr; // the connection the window was made on, open to the end
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
    FormTicks ticks;
};

// Whether a rectangle on the root window meets the window's own rectangle.
inline bool MeetsWindow(const NativeForm& native, int x, int y, int width, int height)
{
    return x < native.left + native.width && x + width > native.left && y < native.top + native.height &&
           y + height > native.top;
}

// The program's one window, or null before it exists.
NativeForm* TheForm();
NativeForm* FormOfWindow(Window window);
NativeForm* FormOfHandle(HWND handle);
// Moves the window to a place on the root window, in device pixels.
void MoveFormWindow(NativeForm& native, int left, int top);
// Something was drawn into the kept image: pixel reads must ask the server.
void KeptImageDrawn(NativeForm& native);
// Where the window has alpha, makes the kept image clear outside the window's shape and
// opaque inside it.
void ClearOutsideShape(NativeForm& native);
