// The form's window on X11: creation, the kept image, circles, pixel reads, position.

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "app_services.h"
#include "coordinates.h"
#include "device_pixels.h"
#include "display.h"
#include "event_loop.h"
#include "form_timer.h"
#include "monitors.h"
#include "native_form.h"
#include "runtime_error.h"
#include "stacking.h"
#include "x11_form.h"

namespace {

constexpr COLORREF formBackColor = 0xF0F0F0; // the face colour of a form without a picture

NativeForm* theForm = nullptr; // the program has one window

// What the kept image holds at a device pixel until the first drawing: the picture
// on the face colour, scaled to the screen. Each device pixel shows the logical pixel
// it lies in, so whole factors stay crisp and the window's region (scaled the same
// way) meets the picture exactly.
COLORREF UndrawnColor(const NativeForm& native, int x, int y)
{
    const Picture* picture = native.picture;
    const PixelScale& scale = ScreenScale();
    int column = scale.ToLogical(x), row = scale.ToLogical(y);
    bool inPicture = picture && column < picture->width && row < picture->height;
    return inPicture ? picture->At(column, row) : formBackColor;
}

// Fills the kept image a band of rows at a time, so that no copy of the whole
// image is ever held here.
void PaintKeptImage(Display* display, NativeForm& native)
{
    constexpr int bandRows = 16;
    const WindowVisual& visual = TheWindowVisual();
    XImage* band = XCreateImage(display, visual.visual, visual.depth, ZPixmap, 0, nullptr, native.width, bandRows,
                                32, 0);
    if (!band)
        throw RuntimeError("no memory for the window's image");
    band->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(band->bytes_per_line) * bandRows));
    if (!band->data) {
        XDestroyImage(band);
        throw RuntimeError("no memory for the window's image");
    }
    for (int top = 0; top < native.height; top += bandRows) {
        int rows = std::min(bandRows, native.height - top);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < native.width; ++x)
                XPutPixel(band, x, y, PixelOf(UndrawnColor(native, x, top + y)));
        XPutImage(display, native.image, native.gc, band, 0, 0, 0, top, native.width, rows);
    }
    XDestroyImage(band);
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

NativeForm* TheForm() { return theForm; }

NativeForm* FormOfWindow(Window window) { return theForm && theForm->window == window ? theForm : nullptr; }

NativeForm* FormOfHandle(HWND handle)
{
    return FormOfWindow(static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle)));
}

void KeptImageDrawn(NativeForm& native)
{
    native.drawnOn = true;
    DropPixelCache(native);
}

void NativeFormDeleter::operator()(NativeForm* native) const
{
    if (theForm == native)
        theForm = nullptr;
    Display* display = native->display;
    DropPixelCache(*native);
    if (native->shape)
        XDestroyRegion(native->shape);
    XFreeGC(display, native->gc);
    XDestroyWindow(display, native->window);
    XFreePixmap(display, native->image);
    XFlush(display);
    delete native;
}

NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design)
{
    Display* display = TheDisplay();
    if (theForm)
        throw RuntimeError("the program has one window, and it exists already");
    int screen = DefaultScreen(display);
    auto [width, height] = WindowSizeAt(ScreenScale(), design.clientWidth, design.clientHeight);

    NativeFormPtr native(new NativeForm);
    native->form = &form;
    native->display = display;
    native->width = width;
    native->height = height;
    native->logicalWidth = design.clientWidth;
    native->logicalHeight = design.clientHeight;
    const WindowVisual& visual = TheWindowVisual();
    native->image = XCreatePixmap(display, RootWindow(display, screen), native->width, native->height, visual.depth);
    native->gc = XCreateGC(display, native->image, 0, nullptr);
    native->picture = design.picture ? &*design.picture : nullptr;
    PaintKeptImage(display, *native);

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = native->image;
    // Exposures need no handling: the server repaints the window from its background, the kept image.
    // No manager moves an override-redirect window: where it is, the program itself has put it.
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask; // DestroyNotify
    // Override-redirect: no window manager frames, decorates, places or offsets it, so the
    // head is exactly where it is asked to be under every one; it keeps itself above.
    attributes.override_redirect = True;
    unsigned long mask = CWBackPixmap | CWEventMask | CWOverrideRedirect;
    int depth = CopyFromParent;
    Visual* windowVisual = CopyFromParent;
    if (visual.colormap != None) { // a visual other than the root's needs its own colormap and border
        attributes.colormap = visual.colormap;
        attributes.border_pixel = 0;
        mask |= CWColormap | CWBorderPixel;
        depth = visual.depth;
        windowVisual = visual.visual;
    }
    native->window = XCreateWindow(display, RootWindow(display, screen), 0, 0, native->width, native->height, 0, depth,
                                   InputOutput, windowVisual, mask, &attributes);
    SetWindowHints(display, *native, design);

    StartTimer(*native);
    theForm = native.get();
    return native;
}

void ClearOutsideShape(NativeForm& native)
{
    unsigned long alpha = TheWindowVisual().opaque;
    if (!alpha || !native.shape)
        return;
    Display* display = TheDisplay();
    Region outside = XCreateRegion(), whole = XCreateRegion();
    XRectangle all{0, 0, static_cast<unsigned short>(native.width), static_cast<unsigned short>(native.height)};
    XUnionRectWithRegion(&all, whole, whole);
    XSubtractRegion(whole, native.shape, outside);
    // Only the alpha bits change: the colours, and so every pixel read, stay as drawn.
    XSetPlaneMask(display, native.gc, alpha);
    XSetForeground(display, native.gc, alpha);
    XFillRectangle(display, native.image, native.gc, 0, 0, native.width, native.height);
    XSetRegion(display, native.gc, outside);
    XSetForeground(display, native.gc, 0);
    XFillRectangle(display, native.image, native.gc, 0, 0, native.width, native.height);
    XSetClipMask(display, native.gc, None);
    // From now on drawing changes colours only: the alpha stays the shape's.
    XSetPlaneMask(display, native.gc, AllPlanes & ~alpha);
    XDestroyRegion(outside);
    XDestroyRegion(whole);
    if (native.mapped)
        XClearWindow(display, native.window);
}

HWND NativeHandle(NativeForm& native)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(native.window));
}

COLORREF NativePixel(NativeForm& native, int logicalX, int logicalY)
{
    Display* display = TheDisplay();
    SendCircles(native);
    int x = std::min(ScreenScale().ToDevice(logicalX), native.width - 1);
    int y = std::min(ScreenScale().ToDevice(logicalY), native.height - 1);
    if (!native.drawnOn)
        return ColorOf(PixelOf(UndrawnColor(native, x, y))); // as the server would answer
    // One request for the whole image; reads then cost nothing until the next drawing.
    if (!native.pixelCache) {
        native.pixelCache = XGetImage(display, native.image, 0, 0, native.width, native.height, AllPlanes, ZPixmap);
        if (!native.pixelCache)
            throw RuntimeError("cannot read the window's kept image");
    }
    return ColorOf(XGetPixel(native.pixelCache, x, y));
}

void NativeCircle(NativeForm& native, double logicalX, double logicalY, double logicalRadius, COLORREF outline,
                  COLORREF fill)
{
    const PixelScale& scale = ScreenScale();
    int x = scale.ToDeviceCoordinate(logicalX), y = scale.ToDeviceCoordinate(logicalY);
    int radius = scale.ToDeviceCoordinate(logicalRadius);
    long long r = radius;
    if (r < 0 || !FitsInShort(r) || !FitsInShort(x - r) || !FitsInShort(x + r) || !FitsInShort(y - r) ||
        !FitsInShort(y + r))
        throw RuntimeError("circle beyond the window system's coordinates");
    QueueCircle(native, {x, y, radius, PixelOf(outline), PixelOf(fill)});
}

// Positions in the program are counted from the primary monitor's top-left corner,
// in the screen's own pixels: a place in twips then means the same spot at every DPI.
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
    if (!FitsInShort(x) || !FitsInShort(y))
        throw RuntimeError("window position out of range: " + std::to_string(left) + ", " + std::to_string(top));
    MoveFormWindow(native, static_cast<int>(x), static_cast<int>(y));
}

void MoveFormWindow(NativeForm& native, int left, int top)
{
    native.left = left;
    native.top = top;
    XMoveWindow(native.display, native.window, left, top);
}

void NativeShow(NativeForm& native)
{
    Display* display = TheDisplay();
    if (native.mapped)
        return;
    SendCircles(native);
    // Created on top of all; shown only as high as the ordinary windows under it go.
    if (native.topmost)
        KeepAbove(display, native, true);
    XMapWindow(display, native.window);
    native.mapped = true;
    XFlush(display);
}
