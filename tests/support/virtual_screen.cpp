// Starting and driving the tests' X servers and window managers.

#include "virtual_screen.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Whether a window manager frames a new window or gives it a WM_STATE. Some announce
// themselves before they are ready and lose a window mapped too soon: map another until the deadline.
bool ManagesWindows(Display* display)
{
    Window root = DefaultRootWindow(display);
    return Eventually([&] {
        Window probe = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
        XSizeHints hints{};
        hints.flags = USPosition; // placed without asking the user (twm)
        XSetWMNormalHints(display, probe, &hints);
        XMapWindow(display, probe);
        XSync(display, False);
        bool managed = Eventually([&] {
            auto topLevel = Children(display, root);
            return std::find(topLevel.begin(), topLevel.end(), probe) == topLevel.end() ||
                   Property(display, probe, "WM_STATE");
        }, 250ms);
        XDestroyWindow(display, probe);
        return managed;
    }, 20s);
}

// Windows of other clients come and go while the tests look at them.
int IgnoreVanishedWindows(Display*, XErrorEvent*) { return 0; }

} // namespace

void StopGroup(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGTERM);
    bool ended = Eventually([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 2s);
    kill(-pid, SIGKILL);
    if (!ended)
        waitpid(pid, nullptr, 0);
}

pid_t Spawn(const std::vector<std::string>& command, const std::vector<std::string>& variables,
            const std::string& errorFile, int keepFd, int input, int output)
{
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(input >= 0 ? input : open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(output >= 0 ? output : open("/dev/null", O_WRONLY), STDOUT_FILENO);
        dup2(open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != keepFd)
                close(fd);
        for (const std::string& variable : variables)
            putenv(const_cast<char*>(variable.c_str()));
        std::vector<char*> argv;
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

VirtualScreen::VirtualScreen(int width, int height, const std::string& windowManager, Server server)
try {
    StartServer(width, height, server);
    Connect(name_);
    if (!windowManager.empty())
        StartWindowManager(windowManager);
} catch (...) {
    Stop();
    throw;
}

VirtualScreen::~VirtualScreen() { Stop(); }

void VirtualScreen::Connect(const std::string& name)
{
    name_ = name;
    display_ = XOpenDisplay(name_.c_str());
    if (!display_)
        throw std::runtime_error("cannot connect to " + name_);
    XSetErrorHandler(IgnoreVanishedWindows);
}

void VirtualScreen::Disconnect()
{
    if (display_)
        XCloseDisplay(display_);
    display_ = nullptr;
}

void VirtualScreen::Stop()
{
    Disconnect();
    StopGroup(windowManager_);
    StopGroup(server_);
}

void VirtualScreen::StartServer(int width, int height, Server server)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> command{"Xvfb", "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24", "-wr"};
    if (server == Server::XvfbWithoutRecord)
        command.insert(command.end(), {"-extension", "RECORD"});
    if (server == Server::XorgDummy) { // one dummy output; the test splits it into monitors
        // Its size and 1024x768 as modes, so that the screen can shrink and grow again.
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        int htotal = width + 656, vtotal = height + 37; // blanking as the dummy driver takes it
        std::ofstream(folder_ + "/xorg.conf")
            << "Section \"Device\"\nIdentifier \"d\"\nDriver \"dummy\"\nVideoRam 65536\nEndSection\n"
               "Section \"Monitor\"\nIdentifier \"m\"\nHorizSync 5-1000\nVertRefresh 5-200\nModeline \""
            << size << "\" " << htotal * vtotal * 60 / 1e6 << " " << width << " " << width + 112 << " " << width + 328
            << " " << htotal << " " << height << " " << height + 3 << " " << height + 13 << " " << vtotal
            << "\nEndSection\nSection \"Screen\"\nIdentifier \"s\"\nDevice \"d\"\nMonitor \"m\"\nDefaultDepth 24\n"
               "SubSection \"Display\"\nVirtual "
            << width << " " << height << "\nModes \"" << size << "\" \"1024x768\"\nEndSubSection\nEndSection\n";
        command = {"Xorg", "-config", folder_ + "/xorg.conf", "-configdir", folder_ + "/none", "-logfile", folder_ + "/xorg.log"};
    }
    command.insert(command.end(), {"-displayfd", std::to_string(pipeFds[1]), "-nolisten", "tcp", "-noreset"});
    server_ = Spawn(command, {}, "/dev/null", pipeFds[1]);
    close(pipeFds[1]);
    std::string number;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.empty())
        throw std::runtime_error(command[0] + " did not start (Xorg needs root and xserver-xorg-video-dummy)");
    name_ = ":" + number;
}

void VirtualScreen::StartWindowManager(const std::string& windowManager)
{
    // Each as a new user has it, at home in the screen's folder, with the files it cannot do
    // without; some take their settings over D-Bus. twm places windows itself, in a font the bare server has.
    std::ofstream(folder_ + "/i3.conf") << "# i3 config file (v4)\nfont pango:monospace 8\n";
    std::ofstream(folder_ + "/bspwmrc") << "#!/bin/sh\n";
    std::filesystem::permissions(folder_ + "/bspwmrc", std::filesystem::perms::owner_all);
    std::ofstream(folder_ + "/twmrc") << "RandomPlacement\nTitleFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\n"
                                         "ResizeFont \"fixed\"\nIconManagerFont \"fixed\"\n";
    const std::map<std::string, std::vector<std::string>> commands{
        {"openbox", {"openbox", "--sm-disable"}},
        {"xfwm4", {"dbus-run-session", "xfwm4", "--sm-client-disable"}},
        {"kwin_x11", {"dbus-run-session", "kwin_x11"}},
        {"mutter", {"dbus-run-session", "mutter", "--x11", "--replace", "--sm-disable"}},
        {"i3", {"i3", "-c", folder_ + "/i3.conf"}},
        {"awesome", {"awesome"}},
        {"fluxbox", {"fluxbox"}},
        {"bspwm", {"bspwm", "-c", folder_ + "/bspwmrc"}},
        {"twm", {"twm", "-f", folder_ + "/twmrc"}}};
    windowManager_ = Spawn(commands.at(windowManager), {"DISPLAY=" + name_, "HOME=" + folder_, "XDG_CONFIG_HOME=" + folder_,
                                                       "GSETTINGS_BACKEND=memory", "QT_QPA_PLATFORM=xcb", "KWIN_COMPOSE=N"});
    if (!ManagesWindows(display_))
        throw std::runtime_error(windowManager + " did not start");
}

std::vector<unsigned> VirtualScreen::Pixels(int left, int top, int width, int height) const
{
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), left, top, width, height, AllPlanes, ZPixmap);
    if (!image)
        throw std::runtime_error("cannot read the screen");
    std::vector<unsigned> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
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

VirtualScreen& SharedScreen()
{
    static VirtualScreen screen;
    setenv("DISPLAY", screen.Name().c_str(), 1);
    return screen;
}

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds patience)
{
    for (auto deadline = std::chrono::steady_clock::now() + patience; !condition(); std::this_thread::sleep_for(10ms))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

std::optional<long> Property(Display* display, Window window, const char* name)
{
    std::vector<unsigned long> items = Property32(display, window, XInternAtom(display, name, False));
    return items.empty() ? std::nullopt : std::optional<long>(static_cast<long>(items[0]));
}

bool IsAbove(Display* display, Window upper, Window lower)
{
    std::vector<Window> stack = Children(display, DefaultRootWindow(display));
    return std::find(stack.begin(), stack.end(), upper) > std::find(stack.begin(), stack.end(), lower);
}
