// Moves the pointer round the screen 20 times a second for the given seconds, through
// XTest, as a mouse does: a warp (xdotool mousemove) moves no input device, so a program
// that follows raw motion would not see it.
//   move_pointer SECONDS

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (argc != 2 || !display)
        return 2;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[1]));
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        XTestFakeMotionEvent(display, DefaultScreen(display), 100 + (i * 37) % 800, 100 + (i * 23) % 500, CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
}
