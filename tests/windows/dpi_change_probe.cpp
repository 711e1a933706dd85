// lookout whose monitor's scaling changes under it, as Windows tells a per-monitor aware program
// (WM_GETDPISCALEDSIZE, then WM_DPICHANGED) and Wine never does. LOOKOUT_MONITOR_DPI names the
// new DPI, LOOKOUT_DPI_CHANGE the moment:
//   shown    as the window shows; the system's suggestion keeps its top-left corner
//   placed   as start-up places it (Top, then Left): at the first setting that moves it, with the
//            window scaled about its centre as the suggestion, another corner than the one set
//   dragged  in the move loop, at the drag's first step; the suggestion keeps the pointer on the
//            same spot of the head, as Windows suggests during a drag
// First it checks that shcore's monitor DPI, which Windows 8.1 and 10 before 1607 use, is the window's.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "AppModul.h"
#include "fLookout.h"
#include "window_dpi.h"

#undef GetWindowRect // the system's own, in device pixels
#undef GetCursorPos

namespace {

WPARAM newDpi = 0;
std::string when;
bool changed = false;
bool inMoveLoop = false;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "dpi_change_probe: %s\n", what);
    ExitProcess(3);
}

// Sends the change with the place the system would suggest for the window's rectangle and its new size.
template <typename Suggest>
void ChangeDpi(HWND window, Suggest suggest)
{
    changed = true;
    RECT place{};
    SIZE size{};
    if (!GetWindowRect(window, &place) || !SendMessageW(window, WM_GETDPISCALEDSIZE, newDpi, reinterpret_cast<LPARAM>(&size)))
        Fail("the window answers no size for the new DPI");
    RECT suggested = suggest(place, size);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
}

RECT AboutCentre(RECT place, SIZE size)
{
    LONG x = (place.left + place.right - size.cx) / 2, y = (place.top + place.bottom - size.cy) / 2;
    return {x, y, x + size.cx, y + size.cy};
}

RECT KeepingPointer(RECT place, SIZE size)
{
    POINT pointer{};
    GetCursorPos(&pointer);
    LONG x = pointer.x - MulDiv(pointer.x - place.left, size.cx, place.right - place.left);
    LONG y = pointer.y - MulDiv(pointer.y - place.top, size.cy, place.bottom - place.top);
    return {x, y, x + size.cx, y + size.cy};
}

// Watches the messages the lookout window has handled for the moment of the change.
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<CWPRETSTRUCT*>(lParam);
    wchar_t className[16]{};
    if (code == HC_ACTION && !changed && GetClassNameW(sent.hwnd, className, 16) && !std::wcscmp(className, L"Lookout")) {
        if (sent.message == WM_ENTERSIZEMOVE)
            inMoveLoop = true;
        const auto* position = reinterpret_cast<const WINDOWPOS*>(sent.lParam);
        bool moved = sent.message == WM_WINDOWPOSCHANGED && !(position->flags & SWP_NOMOVE);
        if (moved && when == "placed" && !IsWindowVisible(sent.hwnd) && (position->x != 0 || position->y != 0))
            ChangeDpi(sent.hwnd, AboutCentre);
        if (moved && when == "dragged" && inMoveLoop)
            ChangeDpi(sent.hwnd, KeepingPointer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* dpi = std::getenv("LOOKOUT_MONITOR_DPI");
    const char* moment = std::getenv("LOOKOUT_DPI_CHANGE");
    newDpi = dpi ? std::strtoul(dpi, nullptr, 10) : 0;
    when = moment ? moment : "";
    if (!PlausibleDpi(static_cast<double>(newDpi)) || (when != "shown" && when != "placed" && when != "dragged"))
        Fail("LOOKOUT_MONITOR_DPI and LOOKOUT_DPI_CHANGE name no change");
    SetWindowsHookExW(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());

    AppModul::Main();
    HWND window = fLookout::DefaultInstance().hWnd();
    if (MonitorDpi(window) != static_cast<int>(GetDpiForWindow(window)))
        Fail("shcore's monitor DPI is not the window's");
    if (when == "shown")
        ChangeDpi(window, [](RECT place, SIZE size) { return RECT{place.left, place.top, place.left + size.cx, place.top + size.cy}; });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
