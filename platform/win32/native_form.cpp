// The form's window on Windows: creation, the kept image, circles, pixel reads, position.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "app_services.h"
#include "coordinates.h"
#include "native_form.h"
#include "resource_ids.h"
#include "runtime_error.h"
#include "win32_form.h"

namespace {

std::vector<NativeForm*> forms;

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

// A 32-bit top-down DIB section in a memory DC, filled with the form's face
// colour and then its picture.
void CreateKeptImage(NativeForm& native, const FormDesign& design)
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

    std::fill_n(native.bits, static_cast<std::size_t>(native.width) * native.height,
                SwapRedBlue(GetSysColor(COLOR_BTNFACE)));
    if (!design.picture)
        return;
    const Picture& picture = *design.picture;
    int width = std::min(picture.width, native.width);
    int height = std::min(picture.height, native.height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            native.bits[static_cast<std::size_t>(y) * native.width + x] = SwapRedBlue(picture.At(x, y));
}

void StartTimer(NativeForm& native)
{
    Timer* timer = native.form->TheTimer();
    auto interval = timer ? timer->Interval().count() : 0;
    if (interval > 0) // an interval of 0 is a timer switched off
        SetTimer(native.window, formTimerId,
                 static_cast<UINT>(std::clamp<long long>(interval, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM)), nullptr);
}

} // namespace

bool AnyFormLoaded() { return !forms.empty(); }

void NativeFormDeleter::operator()(NativeForm* native) const
{
    std::erase(forms, native);
    if (native->window) {
        SetWindowLongPtrW(native->window, GWLP_USERDATA, 0);
        DestroyWindow(native->window); // its timers go with it
    }
    if (native->owner)
        DestroyWindow(native->owner);
    if (native->image) {
        if (native->oldBitmap)
            SelectObject(native->image, native->oldBitmap);
        DeleteDC(native->image);
    }
    if (native->bitmap)
        DeleteObject(native->bitmap);
    delete native;
}

NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design)
{
    if (design.clientWidth <= 0 || design.clientHeight <= 0 || !FitsInShort(design.clientWidth) ||
        !FitsInShort(design.clientHeight))
        throw RuntimeError("window size out of range: " + std::to_string(design.clientWidth) + "x" + std::to_string(design.clientHeight));
    RegisterFormClass(design);

    NativeFormPtr native(new NativeForm);
    native->form = &form;
    native->width = design.clientWidth;
    native->height = design.clientHeight;
    CreateKeptImage(*native, design);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Owned by a hidden window, the form gets no task bar button but still shows in the task switcher.
    native->owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    native->window = CreateWindowExW(0, design.className.c_str(), design.caption.c_str(), WS_POPUP, 0, 0,
                                     native->width, native->height, native->owner, nullptr, instance, native.get());
    if (!native->window)
        throw RuntimeError("cannot create the lookout window");
    StartTimer(*native);
    forms.push_back(native.get());
    return native;
}

HWND NativeHandle(NativeForm& native) { return native.window; }

COLORREF NativePixel(NativeForm& native, int x, int y)
{
    if (x < 0 || y < 0 || x >= native.width || y >= native.height)
        return CLR_INVALID;
    // Read straight from the bits: one GDI call per pixel would make shaping the window slow.
    if (native.drawnSinceFlush) {
        GdiFlush();
        native.drawnSinceFlush = false;
    }
    return SwapRedBlue(native.bits[static_cast<std::size_t>(y) * native.width + x]);
}

void NativeCircle(NativeForm& native, double centreX, double centreY, double circleRadius, COLORREF outline,
                  COLORREF fill)
{
    int x = ToPixels(centreX, 1), y = ToPixels(centreY, 1), radius = ToPixels(circleRadius, 1);
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

// The system scales a program that does not declare itself DPI-aware: its pixels are those of 96 DPI.
double NativeTwipsPerPixel() { return TheScreen::TwipsPerPixelX(); }

POINT NativePosition(NativeForm& native)
{
    RECT rect{};
    if (!GetWindowRect(native.window, &rect))
        throw RuntimeError("cannot read the window's position");
    return {rect.left, rect.top};
}

void NativeMove(NativeForm& native, int left, int top)
{
    // The window messages carry positions in 16 bits (WM_MOVE): beyond them the window
    // system cannot keep track, so such a value is refused as on X11.
    if (!FitsInShort(left) || !FitsInShort(top))
        throw RuntimeError("window position out of range: " + std::to_string(left) + ", " + std::to_string(top));
    SetWindowPos(native.window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeShow(NativeForm& native)
{
    ShowWindow(native.window, SW_SHOW);
    UpdateWindow(native.window);
}
