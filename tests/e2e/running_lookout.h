#pragma once
// The built program, copied into a folder of the test's and started on a virtual screen:
// natively, or through a command such as wine.

#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "temp_folder.h"
#include "virtual_screen.h"

// Copies the program under test into a folder (where its settings file will lie).
std::filesystem::path InstallLookout(const std::filesystem::path& folder, const std::string& name = "lookout");

// How to start it.
struct Launch {
    bool waitForHead = true;                   // return once its head is drawn
    std::vector<std::string> prefix;           // a command to start it with, such as wine
    std::string display;                       // another DISPLAY than the screen's
    std::chrono::seconds patience{10};         // until the head shows
};
// For a copy that is to end at once.
inline Launch WithoutWaiting(Launch launch = {})
{
    launch.waitForHead = false;
    return launch;
}

class RunningLookout {
public:
    RunningLookout(const VirtualScreen& screen, const std::filesystem::path& program, const Launch& launch = {});
    ~RunningLookout(); // kills what still runs; a sanitizer's report on its stderr fails the test

    // Whether its head is drawn within the time.
    bool WaitForHead(std::chrono::milliseconds patience);
    Window TheWindow() const { return window_; }
    std::pair<int, int> Position() const; // the window's top-left corner on the screen
    std::pair<int, int> Size() const;
    unsigned PixelAt(int x, int y) const; // what the screen shows at a point of the window
    bool Running() { return !WaitForExit(std::chrono::milliseconds(0)); }
    // The exit status once it has ended within the time (128 + the signal for one killed), or nothing.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    void Signal(int signal) const;
    std::string ErrorOutput() const { return FileBytes(errorFile_); }

private:
    const VirtualScreen& screen_;
    pid_t pid_ = -1;
    Window window_ = 0;
    Window topLevel_ = 0; // the window, or a window manager's frame around it
    std::optional<int> exit_;
    std::filesystem::path errorFile_;
};

// Presses a button over a point of the window, moves the pointer by (dx, dy) in steps,
// releases and moves the pointer straight back, then waits past the double-click time, so
// that the next press is one of its own.
void Drag(const VirtualScreen& screen, const RunningLookout& lookout, unsigned button, std::pair<int, int> from,
          std::pair<int, int> by, const char* heldKey = nullptr, const std::function<void()>& whileHeld = {});
// Two presses on a point of the window (the forehead by default).
void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at = {91, 100});

// An ordinary application window over the whole screen.
Window MapCover(Display* display);
// How often the windows were moved or restacked on the root over a time.
int RestacksOver(Display* display, const std::vector<Window>& windows, std::chrono::milliseconds duration);
