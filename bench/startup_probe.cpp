// Times lookout's start: from starting the process to its window mapped, and
// checks that the window was already shaped when it appeared.
// Usage: startup_probe PROGRAM   (DISPLAY names the X server)

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <cstdio>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execl(argv[1], argv[1], nullptr);
        _exit(127);
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify)
            continue;
        auto mapped = std::chrono::steady_clock::now();
        Bool boundingShaped = False, clipShaped = False;
        int bx, by, cx, cy;
        unsigned bw, bh, cw, ch;
        XShapeQueryExtents(display, event.xmap.window, &boundingShaped, &bx, &by, &bw, &bh, &clipShaped, &cx, &cy,
                           &cw, &ch);
        std::printf("%.1f %s\n", std::chrono::duration<double, std::milli>(mapped - start).count(),
                    boundingShaped ? "shaped" : "unshaped");
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return boundingShaped ? 0 : 1;
    }
}
