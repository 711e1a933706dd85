// Starting, finding and ending the program under test.

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

namespace {

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

// The process's mapped window, at the top level or inside a window manager's frame.
Window FindWindowIn(Display* display, Window parent, pid_t pid, int depth)
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
            found = FindWindowIn(display, children[i], pid, depth - 1);
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace

Window FindWindowOfProcess(Display* display, pid_t pid)
{
    return FindWindowIn(display, DefaultRootWindow(display), pid, 1);
}

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
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

fs::path InstallLookout(const fs::path& folder, const std::string& name)
{
    fs::create_directories(folder);
    fs::path program = folder / name;
    fs::copy_file(LOOKOUT_EXECUTABLE, program, fs::copy_options::overwrite_existing);
    return program;
}

RunningLookout::RunningLookout(const VirtualScreen& screen, const fs::path& program, bool waitForWindow)
    : screen_(screen)
{
    static int started = 0;
    errorFile_ = fs::temp_directory_path() /
                 ("lookout-stderr-" + std::to_string(getpid()) + "-" + std::to_string(++started));
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", screen.Name().c_str(), 1);
        int error = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(error, STDERR_FILENO);
        // Not the test runner's output: a program left running must not keep it open.
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    if (!waitForWindow)
        return;
    Display* display = screen.Connection();
    for (int i = 0; i < 500 && !window_; ++i) {
        window_ = FindWindowOfProcess(display, pid_);
        if (!window_)
            Pause(std::chrono::milliseconds(10));
    }
    if (!window_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("lookout showed no window");
    }
    Pause(std::chrono::milliseconds(150)); // a few ticks: the pupils are drawn
}

RunningLookout::~RunningLookout()
{
    if (!ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    // A sanitizer's report in the program is a failure even where the test saw nothing wrong.
    std::string errors = FileBytes(errorFile_);
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

unsigned RunningLookout::PixelAt(int x, int y) const
{
    auto [left, top] = Position();
    return screen_.ScreenPixel(left + x, top + y);
}

std::optional<int> RunningLookout::WaitForExit(std::chrono::milliseconds timeout)
{
    std::optional<int> status = WaitForProcess(pid_, timeout);
    ended_ = ended_ || status.has_value();
    return status;
}

void RunningLookout::Signal(int signal) const { kill(pid_, signal); }

std::string RunningLookout::ErrorOutput() const { return FileBytes(errorFile_); }

std::optional<int> WaitForProcess(pid_t pid, std::chrono::milliseconds timeout)
{
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        Pause(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

void DoubleClick(const VirtualScreen& screen, const RunningLookout& lookout)
{
    auto [left, top] = lookout.Position();
    screen.MovePointer(left + 91, top + 100);
    for (int press = 0; press < 2; ++press) {
        screen.Button(1, true);
        Pause(std::chrono::milliseconds(30));
        screen.Button(1, false);
        Pause(std::chrono::milliseconds(30));
    }
}

std::string FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

void Pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds patience)
{
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Pause(std::chrono::milliseconds(20));
    }
    return true;
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
