#pragma once
// A Wayland desktop of the tests' own: a headless compositor with Xwayland, a private session
// bus and runtime folder, and a native window of one colour over its output. As a VirtualScreen
// it is the Xwayland server (Name(), Connection(), in its root's pixels) seen through the
// compositor: Pixels() is what the output shows, MovePointer() glides there as a mouse moves,
// Button() presses where the pointer is. Each compositor has a launcher file that registers it.
// A launcher starts its programs in Start(), after construction, so that a start that fails
// midway is undone by the destructor.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "virtual_screen.h"

// The native window's colour as the screen shows it.
constexpr unsigned nativeColour = 0x3060C0;

class WaylandDesktop : public VirtualScreen {
public:
    ~WaylandDesktop() override;
    virtual void Start() = 0; // once, by StartDesktop()

    void MovePointer(int x, int y) const override; // in steps of a few pixels from where it is
    // Whether a client can learn the pointer over another client's native window (GNOME, KDE).
    bool PointerKnownEverywhere() const { return pointerKnownEverywhere_; }
    // The scale of the output: the X11 root's pixels per logical pixel of the compositor.
    double Scale() const { return scale_; }
    int XwaylandMajorVersion() const;
    // The native window's log of the pointer events it got, one a line ("button 272 1").
    std::vector<std::string> NativeEvents() const;
    // The environment its clients get (WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DISPLAY, the session bus).
    const std::vector<std::string>& ClientEnvironment() const { return environment_; }
    std::string InClientEnvironment(const std::string& command) const; // a shell command run as a client
    pid_t CompositorPid() const { return compositorPid_; }

protected:
    WaylandDesktop(bool pointerKnownEverywhere, double scale)
        : VirtualScreen(StartedElsewhere{}), scale_(scale), pointerKnownEverywhere_(pointerKnownEverywhere)
    {
    }
    std::string RuntimeFolder() const; // made, private to its owner
    // The launcher's part once its compositor runs: Xwayland at that display, the native window over the output.
    void Started(const std::string& xDisplay, std::vector<std::string> environment);
    virtual void Jump(int x, int y) const = 0; // the pointer straight there, in the root's pixels

    pid_t compositorPid_ = -1; // and whatever it started, in its process group
    double scale_;

private:
    bool pointerKnownEverywhere_;
    std::vector<std::string> environment_;
    pid_t nativeWindow_ = -1;
    mutable int pointerX_ = 0, pointerY_ = 0;
};

// The desktops that launchers register, by name: "sway", "kwin", "kwin_scale2"...
using DesktopLauncher = std::function<std::unique_ptr<WaylandDesktop>()>;
bool RegisterDesktop(const std::string& name, DesktopLauncher launcher);
std::vector<std::string> RegisteredDesktops();
// Starts a registered desktop, or says why it cannot run here (a missing program) by throwing.
std::unique_ptr<WaylandDesktop> StartDesktop(const std::string& name);

// Shared by launchers: a program's path on PATH ("" if none).
std::string FindProgram(const std::string& name);
// Waits for a file to hold a line and returns it.
std::string WaitForLine(const std::string& file, std::chrono::milliseconds patience);
// What a shell command writes on its standard output.
std::string CommandOutput(const std::string& command);
// The pixels of a binary PPM image that a command writes, row after row as 0xRRGGBB.
std::vector<unsigned> PixelsFrom(const std::string& command, int width, int height);
// The evdev code of an X11 button (1, 2, 3).
unsigned EvdevButton(unsigned button);

// A tool of the tests' driven one command a line on its standard input, each answered by a line
// on its standard output; ended with whatever it started when the object goes.
class LineDriven {
public:
    LineDriven(const std::vector<std::string>& command, const std::vector<std::string>& environment,
               const std::string& errorFile);
    ~LineDriven();
    LineDriven(const LineDriven&) = delete;
    LineDriven& operator=(const LineDriven&) = delete;
    std::string Ask(const std::string& command) const; // its answer, without the line end

private:
    std::string errorFile_;
    pid_t pid_ = -1;
    FILE* to_ = nullptr;
    FILE* from_ = nullptr;
};
