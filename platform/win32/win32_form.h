#pragma once
// A form's window on Windows, shared by the files of platform/win32.

#include <cstdint>
#include <optional>

#include "double_click.h"
#include "dpi_scale.h"
#include "form.h"
#include "winapi.h"

struct NativeForm {
    Form* form = nullptr;
    HWND window = nullptr;
    HWND owner = nullptr;             // hidden; owning the form keeps it off the task bar
    const Picture* picture = nullptr; // the design's, which the form keeps
    int logicalWidth = 0;             // the design's size, in the program's pixels
    int logicalHeight = 0;
    int dpi = USER_DEFAULT_SCREEN_DPI; // the window's, its monitor's
    PixelScale scale;                  // device pixels per logical pixel at that DPI
    HDC image = nullptr;              // the kept image at that DPI: a memory DC with a DIB section
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    std::uint32_t* bits = nullptr;    // the DIB section's pixels, 0x00RRGGBB, rows from the top
    int width = 0;                    // device pixels
    int height = 0;
    HRGN region = nullptr;            // the shape handed over by SetWindowRgn, in logical pixels
    bool drawnSinceFlush = false;     // GDI may still hold drawing back from the bits
    std::optional<Press> lastLeftPress; // a press that a second one may make a double-click
    std::optional<POINT> placing;       // the top-left corner being set by the program itself
};

// The id of the form's one timer.
constexpr UINT_PTR formTimerId = 1;

// The window procedure of every form's window.
LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether any form's window exists.
bool AnyFormLoaded();
NativeForm* FormOfHandle(HWND window);
// The DPI the cursor is counted at: that of the program's window (it has one), so the
// eyes' directions hold on a monitor of any DPI; the system's before there is a window.
int CursorDpi();

// The window's size at a DPI, in device pixels.
SIZE SizeAtDpi(const NativeForm& native, int dpi);
// Scales the form to a DPI: its kept image holds the picture again, at the new size (the
// next tick draws the eyes anew), its region is shown scaled, and the window takes the
// new size with its top-left corner at the place given.
void ScaleToDpi(NativeForm& native, int dpi, POINT topLeft);

// With the system's own calls (window_calls.cpp): the window's rectangle in device pixels,
// and its logical region, scaled to the window's DPI, handed to the system.
RECT DeviceWindowRect(const NativeForm& native);
void ShowRegion(NativeForm& native, BOOL redraw);
