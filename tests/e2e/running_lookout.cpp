// Starting, finding, driving and ending the program under test.

#include <gtest/gtest.h> // before X11, whose None would clash

#include "running_lookout.h"

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "picture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The one pause between steps of input, paced as a hand makes it. Openbox passes on no press released
// at once (Wine's windows are framed), and a drag is a series of motions, not a jump.
void PaceInput(std::chrono::milliseconds step) { std::this_thread::sleep_for(step); }

} // namespace

fs::path InstallLookout(const fs::path& folder, const std::string& name, const fs::path& program)
{
    fs::create_directories(folder);
    fs::copy_file(program, folder / name, fs::copy_options::overwrite_existing);
    return folder / name;
}

RunningLookout::RunningLookout(const VirtualScreen& screen, const fs::path& program, bool waitForHead,
                               std::vector<std::string> command)
    : screen_(screen)
{
    static TempFolder locks; // the copies' single-instance locks, gone with the test program
    command.push_back(program); // wine, where given, runs the program in the process started here
    // On the tests' own X server, not the session the tests were started from (a Wayland
    // desktop's command sets its own).
    pid_ = Spawn(command,
                 {"DISPLAY=" + screen.Name(), "XDG_RUNTIME_DIR=" + locks.Path().string(), "WAYLAND_DISPLAY=",
                  "XDG_SESSION_TYPE=x11"},
                 ErrorFile());
    if (waitForHead && !WaitForHead(30s)) { // Wine's first start is slow
        kill(pid_, SIGKILL);
        WaitForExit(10s);
        throw std::runtime_error("lookout showed no head");
    }
}

bool RunningLookout::WaitForHead(std::chrono::milliseconds patience)
{
    Display* display = screen_.Connection();
    Window root = DefaultRootWindow(display);
    // Its mapped window, at the top level or inside a window manager's frame (Wine's).
    auto find = [&] {
        for (Window top : Children(display, root)) {
            std::vector<Window> candidates = Children(display, top);
            candidates.insert(candidates.begin(), top);
            for (Window window : candidates) {
                XWindowAttributes attributes;
                if (Property(display, window, "_NET_WM_PID") == pid_ &&
                    XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) {
                    window_ = window;
                    topLevel_ = top;
                    return true;
                }
            }
        }
        return false;
    };
    // Drawn once the left pupil covers its eye's centre at the head's scale (or at once where
    // another window or the screen's edge hides that).
    return Eventually([&] {
        if (!window_ && !find())
            return false;
        double scale = Size().first / 184.0;
        int x = Position().first + static_cast<int>((leftEyeX + 0.5) * scale);
        int y = Position().second + static_cast<int>((eyeY + 0.5) * scale);
        Window top = 0;
        XTranslateCoordinates(display, root, root, x, y, &x, &y, &top);
        return top != topLevel_ || screen_.ScreenPixel(x, y) == 0;
    }, patience);
}

RunningLookout::~RunningLookout()
{
    if (!exit_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::string errors = ErrorOutput();
    if (errors.find("Sanitizer") != std::string::npos || errors.find("runtime error") != std::string::npos)
        ADD_FAILURE() << "lookout reported:\n" << errors;
}

std::pair<int, int> RunningLookout::Position() const
{
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(screen_.Connection(), window_, DefaultRootWindow(screen_.Connection()), 0, 0, &x, &y, &child);
    return {x, y};
}

std::pair<int, int> RunningLookout::Size() const
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(screen_.Connection(), window_, &attributes);
    return {attributes.width, attributes.height};
}

unsigned RunningLookout::PixelAt(int x, int y) const
{
    auto [left, top] = Position();
    return screen_.ScreenPixel(left + x, top + y);
}

std::optional<int> RunningLookout::WaitForExit(std::chrono::milliseconds timeout)
{
    Eventually([&] {
        int status = 0;
        if (!exit_ && waitpid(pid_, &status, WNOHANG) == pid_)
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exit_.has_value();
    }, timeout);
    return exit_;
}

void Drag(const VirtualScreen& screen, const RunningLookout& lookout, unsigned button, std::pair<int, int> from,
          std::pair<int, int> by, const std::function<void()>& whileHeld)
{
    auto [left, top] = lookout.Position();
    screen.MovePointer(left + from.first, top + from.second);
    screen.Button(button, true);
    for (int step = 1; step <= 10; ++step) {
        screen.MovePointer(left + from.first + by.first * step / 10, top + from.second + by.second * step / 10);
        PaceInput(20ms);
    }
    if (whileHeld)
        whileHeld();
    screen.Button(button, false);
    screen.MovePointer(left + from.first, top + from.second); // at once: a motion after the release moves nothing
    // Over once no one holds the pointer: a press before that would go to whoever moved the window.
    Display* display = screen.Connection();
    EXPECT_TRUE(Eventually([&] {
        bool free = XGrabPointer(display, DefaultRootWindow(display), False, 0, GrabModeAsync, GrabModeAsync, 0, 0,
                                 CurrentTime) == GrabSuccess;
        XUngrabPointer(display, CurrentTime);
        XSync(display, False);
        return free;
    })) << "the pointer is still held after the drag";
}

void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at)
{
    auto [left, top] = lookout.Position();
    screen.MovePointer(left + at.first, top + at.second);
    for (int press = 0; press < 2; ++press) {
        screen.Button(1, true);
        PaceInput(80ms);
        screen.Button(1, false);
        PaceInput(80ms);
    }
}

void TwoPresses(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at,
                std::chrono::milliseconds apart, int pixelsApart)
{
    auto [left, top] = lookout.Position();
    for (int press = 0; press < 2; ++press) {
        screen.MovePointer(left + at.first + press * pixelsApart, top + at.second);
        screen.Button(1, true);
        PaceInput(40ms);
        screen.Button(1, false);
        if (press == 0)
            PaceInput(apart - 40ms); // the time between the presses is what counts
    }
}

void ExpectCutToOutline(const VirtualScreen& screen, const RunningLookout& lookout, double scale,
                        const std::function<bool(unsigned pixel, int x, int y)>& desktopShows,
                        const std::function<bool(int x, int y)>& beyondThePicture)
{
    std::string bmp = FileBytes(LOOKOUT_PICTURE_BMP);
    Picture picture = DecodeBmpFile({reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()});
    auto pictureArea = std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                     [&](std::uint32_t colour) { return colour != picture.pixels[0]; });
    auto scaled = [&](int logical) { return static_cast<int>(std::lround(logical * scale)); };
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(screen.Connection(), lookout.TheWindow(), ShapeBounding, &count, &ordering);
    Region outline = XCreateRegion();
    double area = 0;
    for (int i = 0; i < count; ++i) {
        XUnionRectWithRegion(&shape[i], outline, outline);
        area += shape[i].width * shape[i].height / (scale * scale);
    }
    XFree(shape);
    XRectangle box{};
    XClipBox(outline, &box);
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.x + box.width, box.y + box.height}),
              std::vector<int>({0, scaled(1), scaled(183), scaled(280)}));
    EXPECT_NEAR(area, pictureArea, pictureArea * 0.005);
    std::string first; // the first wrong pixel
    auto wrongPixels = [&] {
        auto [left, top] = lookout.Position();
        auto [width, height] = lookout.Size();
        std::vector<unsigned> now = screen.Pixels(left - 1, top, width + 2, height + 1);
        int wrong = 0;
        first.clear();
        for (int y = 0; y <= height; ++y)
            for (int x = -1; x <= width; ++x) {
                unsigned pixel = now[y * (width + 2) + x + 1];
                bool inEye = std::hypot(x - scaled(leftEyeX), y - scaled(eyeY)) <= 14 * scale ||
                             std::hypot(x - scaled(rightEyeX), y - scaled(eyeY)) <= 14 * scale;
                bool inside = XPointInRegion(outline, x, y);
                if (inside && beyondThePicture && beyondThePicture(x, y))
                    continue;
                if (inside ? pixel == black && !inEye : !desktopShows(pixel, x, y)) {
                    if (!wrong++)
                        first = std::to_string(x) + "," + std::to_string(y) + (inside ? " inside" : " outside") +
                                " the outline shows " + std::to_string(pixel);
                }
            }
        return wrong;
    };
    XWindowAttributes window{};
    XGetWindowAttributes(screen.Connection(), lookout.TheWindow(), &window);
    EXPECT_TRUE(Eventually([&] { return wrongPixels() == 0; }))
        << wrongPixels() << " pixels wrong, the first at " << first << ", the window's depth " << window.depth;
    XDestroyRegion(outline);
}

int CountEvents(Display* display, std::chrono::milliseconds duration, const std::function<bool(const XEvent&)>& counts)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    int count = 0;
    for (auto end = std::chrono::steady_clock::now() + duration; std::chrono::steady_clock::now() < end;) {
        XSync(display, False);
        for (XEvent event; XPending(display);) {
            XNextEvent(display, &event);
            count += counts(event);
        }
    }
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    return count;
}

int RestacksOver(Display* display, const std::vector<Window>& windows, std::chrono::milliseconds duration)
{
    return CountEvents(display, duration, [&](const XEvent& event) {
        return event.type == ConfigureNotify &&
               std::find(windows.begin(), windows.end(), event.xconfigure.window) != windows.end();
    });
}
