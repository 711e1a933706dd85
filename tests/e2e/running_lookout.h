#pragma once
// The built lookout, copied into a folder of the test's and started on a virtual screen.

#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "virtual_screen.h"

// A fresh folder for one test, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Copies the program under test into a folder (where its settings file will lie).
std::filesystem::path InstallLookout(const std::filesystem::path& folder, const std::string& name = "lookout");

class RunningLookout {
public:
    // Starts the program; with waitForWindow, returns once its window is on the screen.
    RunningLookout(const VirtualScreen& screen, const std::filesystem::path& program, bool waitForWindow = true);
    ~RunningLookout(); // kills what still runs

    pid_t Pid() const { return pid_; }
    Window TheWindow() const { return window_; }
    // The window's top-left corner on the screen.
    std::pair<int, int> Position() const;
    // What the screen shows at a point relative to the window.
    unsigned PixelAt(int x, int y) const;

    // The exit status once the process has ended within the time, or nothing.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    void Signal(int signal) const;
    std::string ErrorOutput() const;

private:
    const VirtualScreen& screen_;
    pid_t pid_ = -1;
    Window window_ = 0;
    bool ended_ = false;
    std::filesystem::path errorFile_;
};

// A child's exit status once it has ended within the time (128 + the signal
// for one killed), or nothing.
std::optional<int> WaitForProcess(pid_t pid, std::chrono::milliseconds timeout);

// Two quick left presses on the head's forehead.
void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout);

// The mapped window of a process, or 0.
Window FindWindowOfProcess(Display* display, pid_t pid);

std::string FileBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
void Pause(std::chrono::milliseconds duration);
// How often the windows were moved or restacked on the root over a time.
int RestacksOver(Display* display, const std::vector<Window>& windows, std::chrono::milliseconds duration);
// Polls until the condition holds (true) or the time is up (false).
bool Eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds patience = std::chrono::milliseconds(3000));
