// Yardstick: a minimal Xlib program doing lookout's work the plain way. Every 70 ms it
// asks where the pointer is, clears its window and fills four circles on it.

#include <X11/Xlib.h>

#include <chrono>
#include <poll.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    Window root = DefaultRootWindow(display);
    Window window = XCreateSimpleWindow(display, root, 0, 0, 184, 280, 0, 0, 0xF0F0F0);
    XSelectInput(display, window, ButtonPressMask);
    XMapWindow(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);
    auto next = std::chrono::steady_clock::now();
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - std::chrono::steady_clock::now()).count();
        if (wait > 0) {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(wait));
            continue;
        }
        next += std::chrono::milliseconds(70);
        Window rootReturn, child;
        int x, y, windowX, windowY;
        unsigned buttons;
        XQueryPointer(display, root, &rootReturn, &child, &x, &y, &windowX, &windowY, &buttons);
        int dx = x > 92 ? 5 : -5;
        XClearArea(display, window, 0, 140, 184, 50, False);
        XSetForeground(display, gc, 0x80FF80);
        XFillArc(display, window, gc, 27, 150, 24, 24, 0, 360 * 64);
        XFillArc(display, window, gc, 131, 150, 24, 24, 0, 360 * 64);
        XSetForeground(display, gc, 0);
        XFillArc(display, window, gc, 32 + dx, 155, 14, 14, 0, 360 * 64);
        XFillArc(display, window, gc, 136 + dx, 155, 14, 14, 0, 360 * 64);
        XFlush(display);
    }
}
