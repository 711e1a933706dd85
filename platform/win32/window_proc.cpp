// Messages to a form's window: painting from the kept image, mouse presses,
// double-clicks, timer ticks, a new DPI, and closing from outside.

#include <string>

#include "app_services.h"
#include "double_click.h"
#include "run_handler.h"
#include "runtime_error.h"
#include "win32_form.h"

namespace {

NativeForm* FormOf(HWND window)
{
    return reinterpret_cast<NativeForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int ShiftState(WPARAM keys)
{
    return (keys & MK_SHIFT ? vbShiftMask : 0) | (keys & MK_CONTROL ? vbCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? vbAltMask : 0);
}

// The press being handled: the time and screen position of the message last taken from the queue.
Press CurrentPress()
{
    DWORD position = GetMessagePos();
    return {static_cast<std::uint32_t>(GetMessageTime()), static_cast<short>(LOWORD(position)),
            static_cast<short>(HIWORD(position))};
}

DoubleClickLimits SystemLimits()
{
    return {GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)};
}

void OnDoubleClick(NativeForm& native)
{
    native.lastLeftPress.reset();
    RunHandler([&] { native.form->Form_DblClick(); });
}

void OnButtonDown(NativeForm& native, int button, WPARAM wParam, LPARAM lParam)
{
    if (button == vbLeftButton) {
        // The first press may have started a move, after which the system sends
        // the second press as a plain one.
        Press press = CurrentPress();
        if (native.lastLeftPress && CompletesDoubleClick(*native.lastLeftPress, press, SystemLimits())) {
            OnDoubleClick(native);
            return;
        }
        native.lastLeftPress = press;
    }
    int x = native.scale.ToLogical(static_cast<short>(LOWORD(lParam)));
    int y = native.scale.ToLogical(static_cast<short>(HIWORD(lParam)));
    RunHandler([&] { native.form->RaiseMouseDown(button, ShiftState(wParam), x, y); });
}

void OnPaint(NativeForm& native)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(native.window, &paint);
    const RECT& area = paint.rcPaint;
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, native.image, area.left,
           area.top, SRCCOPY);
    EndPaint(native.window, &paint);
}

void OnTimer(NativeForm& native, WPARAM id)
{
    Timer* timer = native.form->TheTimer();
    if (timer && id == formTimerId)
        RunHandler([&] { timer->Fire(); });
}

// Asked before WM_DPICHANGED: the size at the new DPI by the program's own rule, so that the
// place the system then suggests is worked out for that size.
BOOL OnGetDpiScaledSize(const NativeForm& native, int dpi, SIZE& size)
{
    try {
        size = SizeAtDpi(native, dpi);
        return TRUE;
    } catch (const RuntimeError&) {
        return FALSE; // the system scales the size itself
    }
}

// The window has come onto a monitor of another DPI, or its monitor's scaling changed: it
// is drawn anew at the new DPI, the same size in inches, at the place the system suggests,
// which during a drag keeps the pointer on the same spot of the head; but placed by the
// program (Top, Left), it keeps the corner it was given.
void OnDpiChanged(NativeForm& native, int dpi, const RECT& suggested)
{
    POINT topLeft = native.placing.value_or(POINT{suggested.left, suggested.top});
    RunHandler([&] { ScaleToDpi(native, dpi, topLeft); });
}

} // namespace

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* native = static_cast<NativeForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        native->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native));
    }
    NativeForm* native = FormOf(window);
    if (!native)
        return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel from the kept image
    case WM_PAINT:
        OnPaint(*native);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(*native, vbLeftButton, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnButtonDown(*native, vbRightButton, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnButtonDown(*native, vbMiddleButton, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(*native);
        return 0;
    case WM_TIMER:
        OnTimer(*native, wParam);
        return 0;
    case WM_GETDPISCALEDSIZE:
        return OnGetDpiScaledSize(*native, static_cast<int>(wParam), *reinterpret_cast<SIZE*>(lParam));
    case WM_DPICHANGED:
        OnDpiChanged(*native, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        End(); // closed from outside: nothing is stored
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Windows shows nothing for a failure; a debugger sees the line.
void FailInHandler(const std::string& what)
{
    OutputDebugStringA(("lookout: " + what + "\n").c_str());
    ExitProcess(1);
}
