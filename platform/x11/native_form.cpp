// The form's window on X11: creation, the kept image, circles, pixel reads, position.

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "app_services.h"
#include "display.h"
#include "event_loop.h"
#include "monitors.h"
#include "native_form.h"
#include "runtime_error.h"
#include "stacking.h"
#include "x11_form.h"

namespace {

constexpr COLORREF formBackColor = 0xF0F0F0; // the face colour of a form without a picture

std::vector<NativeForm*> forms;

// Fills the kept image with the face colour and the picture over it. The image
// made for that stays on as the copy that pixel reads use, until the first drawing.
void PaintKeptImage(Display* display, NativeForm& native, const std::optional<Picture>& picture)
{
    XImage* image = XCreateImage(display, DefaultVisual(display, DefaultScreen(display)),
                                 DefaultDepth(display, DefaultScreen(display)), ZPixmap, 0, nullptr, native.width,
                                 native.height, 32, 0);
    if (!image)
        throw RuntimeError("Out of memory");
    image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * native.height));
    if (!image->data) {
        XDestroyImage(image);
        throw RuntimeError("Out of memory");
    }
    for (int y = 0; y < native.height; ++y)
        for (int x = 0; x < native.width; ++x) {
            bool inPicture = picture && x < picture->width && y < picture->height;
            XPutPixel(image, x, y, PixelOf(inPicture ? picture->At(x, y) : formBackColor));
        }
    XPutImage(display, native.image, native.gc, image, 0, 0, 0, 0, native.width, native.height);
    native.pixelCache = image;
}

void SetTextProperty(Display* display, Window window, const char* property, const std::string& utf8)
{
    XChangeProperty(display, window, AtomNamed(property), AtomNamed("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

// Names for the tools that list windows; no window manager reads them, as none manages the window.
void SetWindowHints(Display* display, NativeForm& native, const FormDesign& design)
{
    Window window = native.window;
    std::string caption = ToAnsi(design.caption);
    XStoreName(display, window, caption.c_str());
    XSetIconName(display, window, caption.c_str());
    SetTextProperty(display, window, "_NET_WM_NAME", caption);
    SetTextProperty(display, window, "_NET_WM_ICON_NAME", caption);

    std::string className = ToAnsi(design.className);
    std::string instanceName = ToAnsi(App::EXEName());
    XClassHint classHint{instanceName.data(), className.data()};
    XSetClassHint(display, window, &classHint);

    long pid = getpid();
    XChangeProperty(display, window, AtomNamed("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);

    if (design.icon) {
        const Picture& icon = *design.icon;
        std::vector<long> cardinals{icon.width, icon.height};
        for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
            COLORREF c = icon.pixels[i];
            bool clear = i < design.iconTransparent.size() && design.iconTransparent[i];
            unsigned long argb = (clear ? 0u : 0xFF000000u) | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
            cardinals.push_back(static_cast<long>(argb));
        }
        XChangeProperty(display, window, AtomNamed("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(cardinals.data()), static_cast<int>(cardinals.size()));
    }
}

void DropPixelCache(NativeForm& native)
{
    if (native.pixelCache) {
        XDestroyImage(native.pixelCache);
        native.pixelCache = nullptr;
    }
}

} // namespace

NativeForm* FormOfWindow(Window window)
{
    for (NativeForm* native : forms)
        if (native->window == window)
            return native;
    return nullptr;
}

NativeForm* FormOfHandle(HWND handle)
{
    return FormOfWindow(static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle)));
}

const std::vector<NativeForm*>& AllForms() { return forms; }

void NativeFormDeleter::operator()(NativeForm* native) const
{
    std::erase(forms, native);
    if (Display* display = TheDisplay()) {
        DropPixelCache(*native);
        if (native->shape)
            XDestroyRegion(native->shape);
        XFreeGC(display, native->gc);
        XDestroyWindow(display, native->window);
        XFreePixmap(display, native->image);
        XFlush(display);
    }
    delete native;
}

NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design)
{
    Display* display = TheDisplay();
    int screen = DefaultScreen(display);
    if (design.clientWidth <= 0 || design.clientHeight <= 0 || design.clientWidth > SHRT_MAX ||
        design.clientHeight > SHRT_MAX)
        throw RuntimeError("Invalid form size");

    NativeFormPtr native(new NativeForm);
    native->form = &form;
    native->width = design.clientWidth;
    native->height = design.clientHeight;
    native->image = XCreatePixmap(display, RootWindow(display, screen), native->width, native->height,
                                  DefaultDepth(display, screen));
    native->gc = XCreateGC(display, native->image, 0, nullptr);
    PaintKeptImage(display, *native, design.picture);

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = native->image;
    // Exposures need no handling: the server repaints the window from its background, the kept image.
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    // Override-redirect: no window manager frames, decorates, places or offsets it, so the
    // head is exactly where it is asked to be under every one; it keeps itself above.
    attributes.override_redirect = True;
    native->window = XCreateWindow(display, RootWindow(display, screen), 0, 0, native->width, native->height, 0,
                                   CopyFromParent, InputOutput, CopyFromParent,
                                   CWBackPixmap | CWEventMask | CWOverrideRedirect, &attributes);
    SetWindowHints(display, *native, design);

    auto now = std::chrono::steady_clock::now();
    for (Timer* timer : form.Timers())
        native->nextTicks.push_back(now + timer->Interval());
    forms.push_back(native.get());
    return native;
}

HWND NativeHandle(NativeForm& native)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(native.window));
}

COLORREF NativePixel(NativeForm& native, int x, int y, bool keptImage)
{
    Display* display = TheDisplay();
    if (!keptImage) {
        XImage* image = XGetImage(display, native.window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            throw RuntimeError("Cannot read the window's pixel");
        COLORREF color = ColorOf(XGetPixel(image, 0, 0));
        XDestroyImage(image);
        return color;
    }
    // One request for the whole image; reads then cost nothing until the next drawing.
    if (!native.pixelCache) {
        native.pixelCache = XGetImage(display, native.image, 0, 0, native.width, native.height, AllPlanes, ZPixmap);
        if (!native.pixelCache)
            throw RuntimeError("Cannot read the kept image");
    }
    return ColorOf(XGetPixel(native.pixelCache, x, y));
}

void NativeCircle(NativeForm& native, int x, int y, int radius, COLORREF outline,
                  std::optional<COLORREF> fill, bool keptImage)
{
    Display* display = TheDisplay();
    if (radius < 0 || radius > SHRT_MAX || x < SHRT_MIN + radius || x > SHRT_MAX - radius ||
        y < SHRT_MIN + radius || y > SHRT_MAX - radius)
        throw RuntimeError("Overflow");
    Drawable target = keptImage ? native.image : native.window;
    int size = 2 * radius;
    if (fill) {
        XSetForeground(display, native.gc, PixelOf(*fill));
        XFillArc(display, target, native.gc, x - radius, y - radius, size, size, 0, 360 * 64);
    }
    XSetForeground(display, native.gc, PixelOf(outline));
    XDrawArc(display, target, native.gc, x - radius, y - radius, size, size, 0, 360 * 64);
    if (keptImage) {
        DropPixelCache(native);
        // The window shows its kept image as its background: repaint the circle's square.
        if (native.mapped)
            XClearArea(display, native.window, x - radius, y - radius, size + 1, size + 1, False);
    }
}

// Positions in the program are counted from the primary monitor's top-left corner.
POINT NativePosition(NativeForm& native)
{
    const MonitorArea& primary = PrimaryMonitor();
    return {native.left - primary.x, native.top - primary.y};
}

void NativeMove(NativeForm& native, int left, int top)
{
    const MonitorArea& primary = PrimaryMonitor();
    long long x = static_cast<long long>(left) + primary.x;
    long long y = static_cast<long long>(top) + primary.y;
    // X keeps positions in 16 bits; a value beyond them is one the window system cannot take.
    if (x < SHRT_MIN || x > SHRT_MAX || y < SHRT_MIN || y > SHRT_MAX)
        throw RuntimeError("Invalid property value");
    native.left = static_cast<int>(x);
    native.top = static_cast<int>(y);
    XMoveWindow(TheDisplay(), native.window, native.left, native.top);
}

void NativeShow(NativeForm& native)
{
    Display* display = TheDisplay();
    if (native.mapped)
        return;
    // Created on top of all; shown only as high as the ordinary windows under it go.
    if (native.topmost)
        KeepAbove(display, native, true);
    XMapWindow(display, native.window);
    native.mapped = true;
    XFlush(display);
}
