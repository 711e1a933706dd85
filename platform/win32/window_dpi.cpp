// The system's and a window's DPI.

#include "window_dpi.h"

#include <string>

#include "runtime_error.h"

int SystemDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int answer = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen)
            ReleaseDC(nullptr, screen);
        return PlausibleDpi(answer) ? answer : USER_DEFAULT_SCREEN_DPI;
    }();
    return dpi;
}

int WindowDpi(HWND window)
{
    // Looked up rather than imported, so the program still starts on Windows 7 and 8.1.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    int dpi = dpiForWindow ? static_cast<int>(dpiForWindow(window)) : 0;
    return PlausibleDpi(dpi) ? dpi : SystemDpi();
}

PixelScale ScaleOfDpi(int dpi)
{
    if (!PlausibleDpi(dpi))
        throw RuntimeError("no screen has " + std::to_string(dpi) + " DPI");
    return {static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI};
}
