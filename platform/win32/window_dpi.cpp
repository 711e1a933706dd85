// The system's and a window's DPI.

#include "window_dpi.h"

#include <string>

#include "runtime_error.h"

namespace {

// A function of a system DLL that older systems lack, looked up rather than imported, so the
// program still starts on Windows 7 and 8; null where the system has none.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name)
{
    HMODULE module = GetModuleHandleW(library);
    if (!module)
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

constexpr int effectiveDpi = 0; // MDT_EFFECTIVE_DPI: the DPI the monitor's scaling gives

} // namespace

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

int MonitorDpi(HWND window)
{
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto dpiForMonitor = SystemFunction<DpiForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!dpiForMonitor || !monitor || FAILED(dpiForMonitor(monitor, effectiveDpi, &x, &y)))
        return 0;
    return static_cast<int>(x);
}

int WindowDpi(HWND window)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = SystemFunction<DpiForWindow>(L"user32.dll", "GetDpiForWindow");
    int dpi = dpiForWindow ? static_cast<int>(dpiForWindow(window)) : MonitorDpi(window);
    return PlausibleDpi(dpi) ? dpi : SystemDpi();
}

PixelScale ScaleOfDpi(int dpi)
{
    if (!PlausibleDpi(dpi))
        throw RuntimeError("no screen has " + std::to_string(dpi) + " DPI");
    return {static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI};
}
