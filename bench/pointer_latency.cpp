// How long a pointer moved by another program takes to show in the head's eyes: the
// pointer put left and right of the head in turn, by a warp (XWarpPointer, as xdotool
// mousemove does) or through XTest (as a mouse moves it), and the screen read until the
// left pupil has turned. Prints the median and the worst of the tries, in ms.
//   pointer_latency warp|xtest TRIES

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The shown window named Form1 among the root's children.
Window FindHead(Display* display, int& left, int& top)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window head = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !head; ++i) {
        char* name = nullptr;
        XWindowAttributes a;
        if (XFetchName(display, children[i], &name) && name && std::strcmp(name, "Form1") == 0 &&
            XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable) {
            head = children[i];
            left = a.x;
            top = a.y;
        }
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return head;
}

unsigned long ScreenPixel(Display* display, int x, int y)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
    if (image)
        XDestroyImage(image);
    return pixel;
}

} // namespace

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (argc != 3 || !display)
        return 2;
    bool warp = std::strcmp(argv[1], "warp") == 0;
    int tries = std::atoi(argv[2]), left = 0, top = 0;
    if (!FindHead(display, left, top))
        return 1;
    // 9 pixels right of the left eye's centre: black while the pupil looks right, green while it looks left.
    int x = left + 39 + 9, y = top + 162;
    std::vector<double> delays;
    for (int i = 0; i < tries; ++i) {
        bool right = i % 2 == 0;
        int to = right ? left + 600 : std::max(0, left - 300);
        if (warp)
            XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, to, y);
        else
            XTestFakeMotionEvent(display, DefaultScreen(display), to, y, CurrentTime);
        XSync(display, False);
        auto start = std::chrono::steady_clock::now();
        unsigned long wanted = right ? 0 : 0x80FF80;
        while (ScreenPixel(display, x, y) != wanted && std::chrono::steady_clock::now() - start < std::chrono::seconds(3))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        delays.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        // Rests between tries, as a hand would, long enough for any program to stop asking.
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 37 * (i % 5)));
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%.0f %.0f\n", delays[delays.size() / 2], delays.back());
}
