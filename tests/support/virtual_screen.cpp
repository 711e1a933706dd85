// Starting and driving Xvfb for the tests.

#include "virtual_screen.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <fcntl.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

pid_t Spawn(const char* program, char* const argv[], int keepFd = -1)
{
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != keepFd)
                close(fd);
        execvp(program, argv);
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Whether a window manager takes a new window into a frame of its own. Openbox
// announces itself before it is ready, and loses a window mapped too soon: try again.
bool ManagesWindows(Display* display)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(display, probe);
        XSync(display, False);
        bool framed = false;
        for (int i = 0; i < 25 && !framed; ++i) {
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            if (XQueryTree(display, probe, &root, &parent, &children, &count)) {
                framed = parent != root;
                if (children)
                    XFree(children);
            }
            if (!framed)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XDestroyWindow(display, probe);
        XSync(display, False);
        if (framed)
            return true;
    }
    return false;
}

bool HasWindowManager(Display* display)
{
    Atom type;
    int format;
    unsigned long count = 0, remaining;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False),
                       0, 1, False, XA_WINDOW, &type, &format, &count, &remaining, &data);
    if (data)
        XFree(data);
    return count == 1;
}

// Windows of other clients come and go while the tests look at them.
int IgnoreVanishedWindows(Display*, XErrorEvent*) { return 0; }

} // namespace

VirtualScreen::VirtualScreen(int width, int height, bool windowManager)
try {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    std::string fd = std::to_string(pipeFds[1]);
    std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "x24";
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), fd.data(),
                    const_cast<char*>("-screen"), const_cast<char*>("0"), geometry.data(),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), const_cast<char*>("-wr"),
                    const_cast<char*>("-noreset"), nullptr};
    server_ = Spawn("Xvfb", argv, pipeFds[1]);
    close(pipeFds[1]);
    std::string number;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.empty()) {
        Stop(server_);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    name_ = ":" + number;
    if (windowManager) {
        char* wmArgv[] = {const_cast<char*>("openbox"), const_cast<char*>("--sm-disable"), nullptr};
        setenv("DISPLAY", name_.c_str(), 1);
        windowManager_ = Spawn("openbox", wmArgv);
    }
    display_ = XOpenDisplay(name_.c_str());
    if (!display_)
        throw std::runtime_error("cannot connect to " + name_);
    XSetErrorHandler(IgnoreVanishedWindows);
    if (windowManager) {
        for (int i = 0; i < 500 && !HasWindowManager(display_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!HasWindowManager(display_) || !ManagesWindows(display_))
            throw std::runtime_error("openbox did not start");
    }
} catch (...) {
    if (display_)
        XCloseDisplay(display_);
    Stop(windowManager_);
    Stop(server_);
    throw;
}

VirtualScreen::~VirtualScreen()
{
    if (display_)
        XCloseDisplay(display_);
    Stop(windowManager_);
    Stop(server_);
}

unsigned VirtualScreen::ScreenPixel(int x, int y) const
{
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        throw std::runtime_error("cannot read the screen");
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return (pixel >> 16 & 0xFF) | (pixel & 0xFF00) | (pixel & 0xFF) << 16;
}

void VirtualScreen::MovePointer(int x, int y) const
{
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

void VirtualScreen::Button(unsigned button, bool down) const
{
    XTestFakeButtonEvent(display_, button, down, CurrentTime);
    XSync(display_, False);
}

void VirtualScreen::Key(const char* keysym, bool down) const
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym)), down, CurrentTime);
    XSync(display_, False);
}

VirtualScreen& SharedScreen()
{
    static VirtualScreen* screen = [] {
        auto* created = new VirtualScreen;
        setenv("DISPLAY", created->Name().c_str(), 1);
        std::atexit([] { delete screen; });
        return created;
    }();
    return *screen;
}
