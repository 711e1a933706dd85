#pragma once
// A virtual X server of the tests' own on a free display number, with an optional window
// manager, stopped when the object goes. Xorg with the dummy driver (root only) where RandR
// monitors matter: Xvfb ignores them. Xvfb without RECORD (and so without XTest too) where a
// program must do without it.

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "temp_folder.h"
#include "window_queries.h" // the program's own Children() and Property32()

class VirtualScreen {
public:
    enum class Server { Xvfb, XvfbWithoutRecord, XorgDummy };
    // windowManager: "" or openbox, xfwm4, kwin_x11, mutter, i3, awesome, fluxbox, bspwm, twm;
    // returns once it manages windows.
    explicit VirtualScreen(int width = 1024, int height = 768, const std::string& windowManager = "",
                           Server server = Server::Xvfb);
    virtual ~VirtualScreen();
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    const std::string& Name() const { return name_; } // ":N"
    Display* Connection() const { return display_; }

    // Row after row, as 0xRRGGBB.
    virtual std::vector<unsigned> Pixels(int left, int top, int width, int height) const;
    unsigned ScreenPixel(int x, int y) const { return Pixels(x, y, 1, 1)[0]; }
    // Through XTest, synchronised with the server.
    virtual void MovePointer(int x, int y) const;
    virtual void Button(unsigned button, bool down) const;

protected:
    struct StartedElsewhere {}; // a server that another program starts, such as a Wayland compositor
    explicit VirtualScreen(StartedElsewhere) {}
    void Connect(const std::string& name); // to that server, once it runs
    void Disconnect(); // before it ends

    TempFolder files_;
    const std::string folder_ = files_.Path(); // the server's, window manager's or compositor's files

private:
    void StartServer(int width, int height, Server server);
    void StartWindowManager(const std::string& windowManager);
    void Stop();

    std::string name_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    Display* display_ = nullptr;
};

// One screen for the whole test program, with DISPLAY pointing at it.
VirtualScreen& SharedScreen();

// Starts a program in a process group of its own, its errors in a file, its input and output from
// and to those descriptors (none and dropped where -1).
pid_t Spawn(const std::vector<std::string>& command, const std::vector<std::string>& variables = {},
            const std::string& errorFile = "/dev/null", int keepFd = -1, int input = -1, int output = -1);
// Ends a program started so and whatever it started in its group.
void StopGroup(pid_t pid);

// Polls until the condition holds (true) or the deadline passes (false).
bool Eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds patience = std::chrono::milliseconds(3000));

// The first 32-bit item of a window's property.
std::optional<long> Property(Display* display, Window window, const char* name);

// Whether a window lies above another among the root's children.
bool IsAbove(Display* display, Window upper, Window lower);
