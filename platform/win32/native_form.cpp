// The form's window on Windows: creation, the kept image at the window's DPI, circles,
// pixel reads, position.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "coordinates.h"
#include "native_form.h"
#include "resource_ids.h"
#include "runtime_error.h"
#include "win32_form.h"
#include "window_dpi.h"

namespace {

NativeForm* theForm = nullptr; // the program has one window

// A DIB section holds blue in its lowest byte; a COLORREF holds red there.
std::uint32_t SwapRedBlue(std::uint32_t color)
{
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

// The program's icon, as Explorer shows it, in the size the system wants.
HICON ProgramIcon(int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LOOKOUT), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

void RegisterFormClass(const FormDesign& design)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = FormWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    if (design.icon) {
        windowClass.hIcon = ProgramIcon(SM_CXICON, SM_CYICON);
        windowClass.hIconSm = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
    }
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = design.className.c_str(); // no background brush: WM_PAINT covers it all
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw RuntimeError("cannot create the lookout window");
}

void ReleaseKeptImage(NativeForm& native)
{
    if (native.image) {
        if (native.oldBitmap)
            SelectObject(native.image, native.oldBitmap);
        DeleteDC(native.image);
    }
    if (native.bitmap)
        DeleteObject(native.bitmap);
    native.image = nullptr;
    native.bitmap = nullptr;
    native.oldBitmap = nullptr;
    native.bits = nullptr;
}

// A 32-bit top-down DIB section in a memory DC, of the window's size in device pixels:
// the picture on the form's face colour, scaled as on X11. Each device pixel shows the
// logical pixel it lies in, so whole factors stay crisp and the window's region (scaled
// the same way) meets the picture exactly.
void PaintKeptImage(NativeForm& native)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = native.width;
    info.bmiHeader.biHeight = -native.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    native.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    native.image = CreateCompatibleDC(nullptr);
    if (!native.bitmap || !bits || !native.image)
        throw RuntimeError("cannot make the window's kept image");
    native.oldBitmap = SelectObject(native.image, native.bitmap);
    native.bits = static_cast<std::uint32_t*>(bits);

    const std::uint32_t face = SwapRedBlue(GetSysColor(COLOR_BTNFACE));
    const Picture* picture = native.picture;
    std::vector<int> columns(static_cast<std::size_t>(native.width));
    for (int x = 0; x < native.width; ++x)
        columns[x] = native.scale.ToLogical(x);
    for (int y = 0; y < native.height; ++y) {
        int row = native.scale.ToLogical(y);
        std::uint32_t* line = native.bits + static_cast<std::size_t>(y) * native.width;
        for (int x = 0; x < native.width; ++x) {
            bool inPicture = picture && columns[x] < picture->width && row < picture->height;
            line[x] = inPicture ? SwapRedBlue(picture->At(columns[x], row)) : face;
        }
    }
}

void StartTimer(NativeForm& native)
{
    Timer* timer = native.form->TheTimer();
    if (timer && timer->Ticking())
        SetTimer(native.window, formTimerId,
                 static_cast<UINT>(std::clamp<long long>(timer->Interval().count(), USER_TIMER_MINIMUM,
                                                         USER_TIMER_MAXIMUM)),
                 nullptr);
}

} // namespace

bool AnyFormLoaded() { return theForm != nullptr; }

NativeForm* FormOfHandle(HWND window) { return theForm && theForm->window == window ? theForm : nullptr; }

int CursorDpi() { return theForm ? theForm->dpi : SystemDpi(); }

void NativeFormDeleter::operator()(NativeForm* native) const
{
    if (theForm == native)
        theForm = nullptr;
    if (native->window) {
        SetWindowLongPtrW(native->window, GWLP_USERDATA, 0);
        DestroyWindow(native->window); // its timers and its scaled region go with it
    }
    if (native->owner)
        DestroyWindow(native->owner);
    ReleaseKeptImage(*native);
    if (native->region)
        DeleteObject(native->region);
    delete native;
}

SIZE SizeAtDpi(const NativeForm& native, int dpi)
{
    auto [width, height] = WindowSizeAt(ScaleOfDpi(dpi), native.logicalWidth, native.logicalHeight);
    return {width, height};
}

void ScaleToDpi(NativeForm& native, int dpi, POINT topLeft)
{
    SIZE size = SizeAtDpi(native, dpi);
    native.dpi = dpi;
    native.scale = ScaleOfDpi(dpi);
    native.width = size.cx;
    native.height = size.cy;
    ReleaseKeptImage(native);
    native.drawnSinceFlush = false;
    PaintKeptImage(native);
    ShowRegion(native, FALSE); // shown with the new size, all at once
    SetWindowPos(native.window, nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(native.window, nullptr, FALSE);
}

NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design)
{
    if (theForm)
        throw RuntimeError("the program has one window, and it exists already");
    WindowSizeAt(PixelScale{}, design.clientWidth, design.clientHeight); // before a window of that size is made
    RegisterFormClass(design);

    NativeFormPtr native(new NativeForm);
    native->form = &form;
    native->picture = design.picture ? &*design.picture : nullptr;
    native->logicalWidth = design.clientWidth;
    native->logicalHeight = design.clientHeight;

    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Owned by a hidden window, the form gets no task bar button but still shows in the task switcher.
    native->owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    native->window = CreateWindowExW(0, design.className.c_str(), design.caption.c_str(), WS_POPUP, 0, 0,
                                     design.clientWidth, design.clientHeight, native->owner, nullptr, instance,
                                     native.get());
    if (!native->window)
        throw RuntimeError("cannot create the lookout window");
    // Its DPI is known once it is on a monitor: it is scaled to it before it is ever shown.
    ScaleToDpi(*native, WindowDpi(native->window), {0, 0});
    StartTimer(*native);
    theForm = native.get();
    return native;
}

HWND NativeHandle(NativeForm& native) { return native.window; }

COLORREF NativePixel(NativeForm& native, int x, int y)
{
    if (x < 0 || y < 0 || x >= native.logicalWidth || y >= native.logicalHeight)
        return CLR_INVALID;
    // Read straight from the bits: one GDI call per pixel would make shaping the window slow.
    if (native.drawnSinceFlush) {
        GdiFlush();
        native.drawnSinceFlush = false;
    }
    int deviceX = std::min(native.scale.ToDevice(x), native.width - 1);
    int deviceY = std::min(native.scale.ToDevice(y), native.height - 1);
    return SwapRedBlue(native.bits[static_cast<std::size_t>(deviceY) * native.width + deviceX]);
}

void NativeCircle(NativeForm& native, double centreX, double centreY, double circleRadius, COLORREF outline,
                  COLORREF fill)
{
    const PixelScale& scale = native.scale;
    int x = scale.ToDeviceCoordinate(centreX), y = scale.ToDeviceCoordinate(centreY);
    int radius = scale.ToDeviceCoordinate(circleRadius);
    // The bounding box takes one pixel beyond the circle on the right and at the bottom.
    std::int64_t left = std::int64_t{x} - radius, top = std::int64_t{y} - radius;
    std::int64_t right = std::int64_t{x} + radius + 1, bottom = std::int64_t{y} + radius + 1;
    if (radius < 0 || left < INT_MIN || top < INT_MIN || right > INT_MAX || bottom > INT_MAX)
        throw RuntimeError("circle out of range at " + std::to_string(x) + ", " + std::to_string(y));
    RECT box{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};

    HDC dc = native.image;
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(brush);

    native.drawnSinceFlush = true;
    InvalidateRect(native.window, &box, FALSE);
}

// Places count the system DPI's pixels on every monitor, as the virtual screen does: a place
// in twips then means the same spot at every DPI, and at 96 DPI the same twips as ever.
double NativeTwipsPerPixel() { return 1440.0 / SystemDpi(); }

POINT NativePosition(NativeForm& native)
{
    RECT rect = DeviceWindowRect(native);
    return {rect.left, rect.top};
}

void NativeMove(NativeForm& native, int left, int top)
{
    // The window messages carry positions in 16 bits (WM_MOVE): beyond them the window
    // system cannot keep track, so such a value is refused as on X11.
    if (!FitsInShort(left) || !FitsInShort(top))
        throw RuntimeError("window position out of range: " + std::to_string(left) + ", " + std::to_string(top));
    // A place on a monitor of another DPI rescales the window on the way (WM_DPICHANGED): it
    // keeps this corner, not the one the system suggests, so the place set is the place shown.
    native.placing = POINT{left, top};
    SetWindowPos(native.window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    native.placing.reset();
}

void NativeShow(NativeForm& native)
{
    // Shown without the keyboard focus, which it has no use for: typing elsewhere goes on there.
    // It is topmost already, so it still shows above the active window.
    ShowWindow(native.window, SW_SHOWNOACTIVATE);
    UpdateWindow(native.window);
}
