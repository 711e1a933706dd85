// A busy desktop: 40 ordinary windows, one of them moved 50 times a second, for the
// given seconds; the windows go with it.
//   busy_desktop SECONDS

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (argc != 2 || !display)
        return 2;
    Window root = DefaultRootWindow(display);
    Window windows[40];
    for (int i = 0; i < 40; ++i) {
        windows[i] = XCreateSimpleWindow(display, root, (i % 8) * 120, (i / 8) * 140, 200, 160, 1, 0, 0x808080 + i);
        XMapWindow(display, windows[i]);
    }
    XSync(display, False);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[1]));
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        XMoveWindow(display, windows[0], (i * 7) % 800, (i * 5) % 600);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(display);
}
