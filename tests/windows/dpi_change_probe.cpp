// lookout whose monitor's scaling changes as soon as it shows, as Windows tells a per-monitor
// aware program (WM_GETDPISCALEDSIZE, then WM_DPICHANGED) and Wine never does. The new DPI comes
// from LOOKOUT_MONITOR_DPI; the system's suggestion keeps the window's top-left corner.

#include <cwchar>

#include "AppModul.h"
#include "fLookout.h"
#include "win32_form.h"

#undef GetWindowRect // the system's own, in device pixels

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    AppModul::Main();
    if (!AnyFormLoaded())
        return 0;
    wchar_t text[16] = {};
    GetEnvironmentVariableW(L"LOOKOUT_MONITOR_DPI", text, 16);
    auto dpi = static_cast<WPARAM>(std::wcstol(text, nullptr, 10));
    HWND window = fLookout::DefaultInstance().hWnd();
    RECT place{};
    SIZE size{};
    if (!GetWindowRect(window, &place) || !SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)))
        return 1;
    RECT suggested{place.left, place.top, place.left + size.cx, place.top + size.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
