#pragma once
// A form's window on Windows, shared by the files of platform/win32.

#include <cstdint>
#include <optional>

#include "double_click.h"
#include "form.h"
#include "winapi.h"

struct NativeForm {
    Form* form = nullptr;
    HWND window = nullptr;
    HWND owner = nullptr;          // hidden; owning the form keeps it off the task bar
    HDC image = nullptr;           // the kept image: a memory DC with a DIB section
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    std::uint32_t* bits = nullptr; // the DIB section's pixels, 0x00RRGGBB, rows from the top
    int width = 0;
    int height = 0;
    bool drawnSinceFlush = false;  // GDI may still hold drawing back from the bits
    std::optional<Press> lastLeftPress; // a press that a second one may make a double-click
};

// The id of the form's one timer.
constexpr UINT_PTR formTimerId = 1;

// The window procedure of every form's window.
LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether any form's window exists.
bool AnyFormLoaded();
