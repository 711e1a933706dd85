// Starting, finding, driving and ending the program under test.

#include <gtest/gtest.h> // before X11, whose None would clash

#include "running_lookout.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Pacing of input only: the program sees presses and motions as a hand makes them.
void Pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

long WindowPid(Display* display, Window window)
{
    Atom type;
    int format;
    unsigned long count = 0, remaining;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &remaining, &data) == Success && data && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// The process's mapped window, at the top level or inside a window manager's frame (Wine's).
Window FindWindowOfProcess(Display* display, Window parent, pid_t pid, int depth = 1)
{
    Window root, parentOut, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (WindowPid(display, children[i]) == pid && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        else if (depth > 0)
            found = FindWindowOfProcess(display, children[i], pid, depth - 1);
    }
    if (children)
        XFree(children);
    return found;
}

// The window's frame from a window manager, or the window itself.
Window TopLevel(Display* display, Window window)
{
    Window root, parent, *children = nullptr;
    unsigned count;
    while (XQueryTree(display, window, &root, &parent, &children, &count) && parent != root) {
        XFree(children);
        children = nullptr;
        window = parent;
    }
    XFree(children);
    return window;
}

} // namespace

TempFolder::TempFolder()
{
    char name[] = "/tmp/lookout-test-XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error("mkdtemp failed");
    path_ = name;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    for (auto& entry : fs::recursive_directory_iterator(path_, error))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

fs::path InstallLookout(const fs::path& folder, const std::string& name)
{
    fs::create_directories(folder);
    fs::copy_file(LOOKOUT_EXECUTABLE, folder / name, fs::copy_options::overwrite_existing);
    return folder / name;
}

RunningLookout::RunningLookout(const VirtualScreen& screen, const fs::path& program, const Launch& launch)
    : screen_(screen)
{
    static int started = 0;
    errorFile_ = fs::temp_directory_path() /
                 ("lookout-stderr-" + std::to_string(getpid()) + "-" + std::to_string(++started));
    std::vector<std::string> command = launch.prefix;
    command.push_back(program);
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", launch.display.empty() ? screen.Name().c_str() : launch.display.c_str(), 1);
        dup2(open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        // Not the test runner's output: a program left running must not keep it open.
        dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& word : command)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data()); // wine runs the Windows program in this process (its _NET_WM_PID)
        _exit(127);
    }
    if (launch.waitForHead && !WaitForHead(launch.patience)) {
        kill(pid_, SIGKILL);
        WaitForExit(10s);
        throw std::runtime_error("lookout showed no head");
    }
}

bool RunningLookout::WaitForHead(std::chrono::milliseconds patience)
{
    // Drawn once the left pupil covers its eye's centre, at whatever scale the head has
    // (or at once where another window or the screen's edge hides that).
    Display* display = screen_.Connection();
    Window root = DefaultRootWindow(display);
    return Eventually([&] {
        if (!window_ && !(window_ = FindWindowOfProcess(display, root, pid_)))
            return false;
        double scale = Size().first / 184.0;
        int x = Position().first + static_cast<int>(39.5 * scale), y = Position().second + static_cast<int>(162.5 * scale);
        Window top = 0;
        XTranslateCoordinates(display, root, root, x, y, &x, &y, &top);
        return top != TopLevel(display, window_) || screen_.ScreenPixel(x, y) == 0;
    }, patience);
}

RunningLookout::~RunningLookout()
{
    if (!exit_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    // A sanitizer's report in the program is a failure even where the test saw nothing wrong.
    std::string errors = ErrorOutput();
    if (errors.find("Sanitizer") != std::string::npos || errors.find("runtime error") != std::string::npos)
        ADD_FAILURE() << "lookout reported:\n" << errors;
    std::error_code error;
    fs::remove(errorFile_, error);
}

std::pair<int, int> RunningLookout::Position() const
{
    Display* display = screen_.Connection();
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window_, DefaultRootWindow(display), 0, 0, &x, &y, &child);
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

void RunningLookout::Signal(int signal) const { kill(pid_, signal); }

std::string RunningLookout::ErrorOutput() const { return FileBytes(errorFile_); }

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds patience)
{
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Pause(10ms);
    }
    return true;
}

void Drag(const VirtualScreen& screen, const RunningLookout& lookout, unsigned button, std::pair<int, int> from,
          std::pair<int, int> by, const char* heldKey, const std::function<void()>& whileHeld)
{
    auto [left, top] = lookout.Position();
    screen.MovePointer(left + from.first, top + from.second);
    if (heldKey)
        screen.Key(heldKey, true);
    screen.Button(button, true);
    for (int step = 1; step <= 10; ++step) {
        screen.MovePointer(left + from.first + by.first * step / 10, top + from.second + by.second * step / 10);
        Pause(20ms);
    }
    if (whileHeld)
        whileHeld();
    screen.Button(button, false);
    if (heldKey)
        screen.Key(heldKey, false);
    screen.MovePointer(left + from.first, top + from.second); // at once: a motion after the release moves nothing
    Pause(600ms);
}

void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout, std::pair<int, int> at)
{
    auto [left, top] = lookout.Position();
    screen.MovePointer(left + at.first, top + at.second);
    for (int press = 0; press < 2; ++press) {
        screen.Button(1, true);
        Pause(80ms); // openbox passes on no press released at once (Wine's windows are framed)
        screen.Button(1, false);
        Pause(100ms);
    }
}

int RestacksOver(Display* display, const std::vector<Window>& windows, std::chrono::milliseconds duration)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True); // from now on
    Pause(duration);
    XSync(display, False);
    int restacks = 0;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        restacks += event.type == ConfigureNotify &&
                    std::find(windows.begin(), windows.end(), event.xconfigure.window) != windows.end();
    }
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    return restacks;
}

std::string FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
