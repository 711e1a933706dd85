// lookout whose monitor's scaling changes as soon as it shows, as Windows tells a per-monitor
// aware program (WM_GETDPISCALEDSIZE, then WM_DPICHANGED) and Wine never does. The new DPI comes
// from LOOKOUT_MONITOR_DPI; the system's suggestion keeps the window's top-left corner.

#include <cstdlib>

#include "AppModul.h"
#include "fLookout.h"

#undef GetWindowRect // the system's own, in device pixels

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    AppModul::Main();
    const char* text = std::getenv("LOOKOUT_MONITOR_DPI");
    WPARAM dpi = text ? std::strtoul(text, nullptr, 10) : 0;
    HWND window = fLookout::DefaultInstance().hWnd();
    RECT place{};
    SIZE size{};
    if (!GetWindowRect(window, &place) || !SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)))
        return 1;
    RECT suggested{place.left, place.top, place.left + size.cx, place.top + size.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
