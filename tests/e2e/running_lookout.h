#pragma once
// The built program, copied into a folder of the test's and started on a virtual screen,
// natively or through a command such as wine.

#include <X11/Xlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "eye_geometry.h"
#include "temp_folder.h"
#include "virtual_screen.h"

// The colours painted on the eyes, as the screen holds them (0xRRGGBB: the green reads the same).
constexpr unsigned black = pupilColor, eyeGreen = eyeColor;

// The head at a DPI: its picture's pixels against the screen's.
struct HeadScale {
    double factor = 1; // DPI / 96
    double Scale() const { return factor; }
    int Scaled(int logical) const { return static_cast<int>(std::lround(logical * factor)); }
    // A device pixel inside a logical one.
    int In(int logical) const { return static_cast<int>((logical + 0.5) * factor); }
    std::pair<int, int> In(int x, int y) const { return {In(x), In(y)}; }
};

// Copies the program (or another build of it) into a folder, where its settings file will lie.
std::filesystem::path InstallLookout(const std::filesystem::path& folder, const std::string& name = "lookout",
                                     const std::filesystem::path& program = LOOKOUT_EXECUTABLE);

class RunningLookout {
public:
    // Waits for the head unless the copy is to end at once; command: such as wine, or env DISPLAY=...
    RunningLookout(const VirtualScreen& screen, const std::filesystem::path& program, bool waitForHead = true,
                   std::vector<std::string> command = {});
    ~RunningLookout(); // kills what still runs; a sanitizer's report on its stderr fails the test

    bool WaitForHead(std::chrono::milliseconds patience);
    Window TheWindow() const { return window_; }
    pid_t Pid() const { return pid_; }
    std::pair<int, int> Position() const; // top-left corner on the screen
    std::pair<int, int> Size() const;
    unsigned PixelAt(int x, int y) const; // what the screen shows at a point of the window
    bool Running() { return !WaitForExit(std::chrono::milliseconds(0)); }
    // The exit status (128 + the signal for one killed), once it has ended within the time.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    std::string ErrorOutput() const { return FileBytes(ErrorFile()); }

private:
    const VirtualScreen& screen_;
    pid_t pid_ = -1;
    Window window_ = 0;
    Window topLevel_ = 0; // the window, or a window manager's frame around it
    std::optional<int> exit_;
    TempFolder errors_;
    std::filesystem::path ErrorFile() const { return errors_.Path() / "stderr"; }
};

// Presses a button over a point of the window, moves the pointer by (dx, dy) in steps, releases,
// moves straight back and waits until the pointer is free. The next left press lies elsewhere on
// the screen, so it starts no double-click.
void Drag(const VirtualScreen& screen, const RunningLookout& lookout, unsigned button, std::pair<int, int> from,
          std::pair<int, int> by, const std::function<void()>& whileHeld = {});
void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at = {91, 100});
// Two left presses at a point of the window, that long and that many pixels (the second to the right) apart.
void TwoPresses(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at,
                std::chrono::milliseconds apart, int pixelsApart);

// Whether the head is cut to its picture's outline at a scale: the shape's extents (rows 1 to 279,
// columns 0 to 182, scaled) and its area; then, polled, no key colour inside it but in the eyes (a
// pixel past them when rounded), and outside it, a pixel beyond each side but the top included,
// what the desktop shows there (a pixel, at a place in the window). Pixels that the shape holds
// beyond the picture's outline, where the system is known to err, are passed over.
void ExpectCutToOutline(const VirtualScreen& screen, const RunningLookout& lookout, double scale,
                        const std::function<bool(unsigned pixel, int x, int y)>& desktopShows,
                        const std::function<bool(int x, int y)>& beyondThePicture = {});

// Counts the events that match, the root's children's among them, over an observation window of that length.
int CountEvents(Display* display, std::chrono::milliseconds duration, const std::function<bool(const XEvent&)>& counts);
// How often any of the windows was moved or restacked over the time.
int RestacksOver(Display* display, const std::vector<Window>& windows, std::chrono::milliseconds duration);
