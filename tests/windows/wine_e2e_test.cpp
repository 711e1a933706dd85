// lookout.exe under Wine on a virtual screen, as a user meets it: shaped, above
// other windows, looking at the pointer, dragged, storing its place on a
// double-click, and alone.
//
// Runs on Linux with wine and a Wine prefix (WINEPREFIX). LOOKOUT_WINDOW_MANAGER=openbox
// puts openbox on the screen; without it there is no window manager, and Wine does
// not keep a window above the others.

#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "running_lookout.h"
#include "virtual_screen.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

constexpr unsigned rootWhite = 0xFFFFFF, black = 0, eyeGreen = 0x80FF80;
constexpr int eyeY = 162, leftEyeX = 39, rightEyeX = 143;

bool WithWindowManager()
{
    const char* manager = std::getenv("LOOKOUT_WINDOW_MANAGER");
    return manager && std::string(manager) == "openbox";
}

// One screen for the whole run: Wine's desktop process stays with the display it started on.
// Stopped from outside (a time limit, Ctrl-C), the run still takes its screen down on the way out.
VirtualScreen& Screen()
{
    static VirtualScreen screen(1024, 768, WithWindowManager() ? "openbox" : "");
    static const bool stopsCleanly = [] {
        for (int signal : {SIGINT, SIGTERM})
            std::signal(signal, [](int caught) { std::exit(128 + caught); });
        return true;
    }();
    static_cast<void>(stopsCleanly);
    return screen;
}

// lookout.exe started with wine, whose process is the Windows program's (Wine sets _NET_WM_PID to it).
class WineLookout {
public:
    WineLookout(const fs::path& program, bool waitForWindow = true)
    {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", Screen().Name().c_str(), 1);
            int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            execlp("wine", "wine", program.c_str(), nullptr);
            _exit(127);
        }
        if (!waitForWindow)
            return;
        Display* display = Screen().Connection();
        for (auto end = std::chrono::steady_clock::now() + 30s; !window_ && std::chrono::steady_clock::now() < end;) {
            window_ = FindWindowOfProcess(display, pid_);
            if (!window_)
                Pause(20ms);
        }
        if (!window_)
            throw std::runtime_error("lookout.exe showed no window");
        Pause(300ms); // a few ticks: the pupils are drawn
    }
    ~WineLookout()
    {
        if (!ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    std::pair<int, int> Position() const
    {
        Display* display = Screen().Connection();
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, window_, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return {x, y};
    }
    unsigned PixelAt(int x, int y) const
    {
        auto [left, top] = Position();
        return Screen().ScreenPixel(left + x, top + y);
    }
    bool Running() const { return !ended_ && waitpid(pid_, nullptr, WNOHANG) == 0; }

    // The exit status once the process has ended within the time, or nothing.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout)
    {
        std::optional<int> status = WaitForProcess(pid_, timeout);
        ended_ = ended_ || status.has_value();
        return status;
    }

private:
    pid_t pid_ = -1;
    Window window_ = 0;
    bool ended_ = false;
};

// The tests' folders lie in one for the whole run, which goes at its end, however it ends.
const fs::path& RunFolder()
{
    static TempFolder run;
    return run.Path();
}

class WineWatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen().MovePointer(1000, 700);
        folder = RunFolder() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        program = InstallLookout(folder / "My Apps", "Look Out.exe");
        settings = folder / "My Apps" / "Look Out.ini";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Presses a button over a point of the window, moves the pointer by (dx, dy) in steps, releases.
    void Drag(const WineLookout& lookout, unsigned button, int x, int y, int dx, int dy)
    {
        auto [left, top] = lookout.Position();
        Screen().MovePointer(left + x, top + y);
        Screen().Button(button, true);
        for (int step = 1; step <= 10; ++step) {
            Screen().MovePointer(left + x + dx * step / 10, top + y + dy * step / 10);
            Pause(20ms);
        }
        Pause(150ms);
        Screen().Button(button, false);
        Pause(600ms); // past the double-click time, so the next press is a press of its own
    }

    // Two presses of 80 ms each: openbox passes on no press that is released at once.
    void DoubleClick(const WineLookout& lookout, int x, int y)
    {
        auto [left, top] = lookout.Position();
        Screen().MovePointer(left + x, top + y);
        for (int press = 0; press < 2; ++press) {
            Screen().Button(1, true);
            Pause(80ms);
            Screen().Button(1, false);
            Pause(100ms);
        }
    }

    fs::path folder;
    fs::path program;
    fs::path settings;
};

TEST_F(WineWatcher, AppearsCentredAtTheTopCutToTheHead)
{
    WineLookout lookout(program);
    EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
    EXPECT_EQ(lookout.PixelAt(2, 2), rootWhite); // the desktop shows around the head
    EXPECT_EQ(lookout.PixelAt(183, 150), rootWhite);
    EXPECT_EQ(lookout.PixelAt(2, 277), rootWhite);
    EXPECT_NE(lookout.PixelAt(91, 100), rootWhite); // the forehead
    EXPECT_NE(lookout.PixelAt(116, 7), rootWhite);
}

// The pupil (radius 7) stands 5 pixels from the eye's centre towards (dx, dy), one of them 0:
// its edges on that line, and the green eye (radius 12) before it and opposite.
void ExpectPupilTowards(const WineLookout& lookout, int eyeX, int dx, int dy)
{
    SCOPED_TRACE("the eye at x " + std::to_string(eyeX) + ", looking towards " + std::to_string(dx) + "," +
                 std::to_string(dy));
    int x = eyeX + 5 * dx, y = eyeY + 5 * dy;
    EXPECT_EQ(lookout.PixelAt(x + 7 * dx, y + 7 * dy), black); // at the eye's rim
    EXPECT_EQ(lookout.PixelAt(x - 7 * dx, y - 7 * dy), black);
    EXPECT_EQ(lookout.PixelAt(x - 8 * dx, y - 8 * dy), eyeGreen);
    EXPECT_EQ(lookout.PixelAt(eyeX - 9 * dx, eyeY - 9 * dy), eyeGreen);
}

TEST_F(WineWatcher, ThePupilsFollowThePointer)
{
    WineLookout lookout(program);
    auto [left, top] = lookout.Position();
    Screen().MovePointer(1000, top + eyeY);
    Pause(250ms);
    ExpectPupilTowards(lookout, leftEyeX, 1, 0);
    ExpectPupilTowards(lookout, rightEyeX, 1, 0);

    Screen().MovePointer(0, top + eyeY);
    Pause(250ms);
    ExpectPupilTowards(lookout, leftEyeX, -1, 0);
    ExpectPupilTowards(lookout, rightEyeX, -1, 0);

    Screen().MovePointer(left + leftEyeX, 700);
    Pause(250ms);
    ExpectPupilTowards(lookout, leftEyeX, 0, 1);
}

TEST_F(WineWatcher, StaysAboveAWindowMappedAfterIt)
{
    if (!WithWindowManager())
        GTEST_SKIP() << "without a window manager Wine keeps no window above the others";
    WineLookout lookout(program);
    unsigned forehead = lookout.PixelAt(91, 100);
    Display* display = Screen().Connection();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0xFF0000;
    Window cover = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1024, 768, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWBackPixel, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    Pause(400ms);
    EXPECT_NE(lookout.PixelAt(2, 2), rootWhite); // the new window covers the desktop
    EXPECT_EQ(lookout.PixelAt(91, 100), forehead); // but not the head
    XRaiseWindow(display, cover);
    XSync(display, False);
    Pause(400ms);
    EXPECT_EQ(lookout.PixelAt(91, 100), forehead);
    XDestroyWindow(display, cover);
    XSync(display, False);
}

TEST_F(WineWatcher, OnlyALeftDragMovesItByTheDragDistance)
{
    WineLookout lookout(program);
    Drag(lookout, 3, 91, 60, 100, 100);
    Drag(lookout, 2, 91, 60, 100, 100);
    EXPECT_EQ(lookout.Position(), std::make_pair(420, 0));
    Drag(lookout, 1, 91, 60, 100, 50);
    EXPECT_EQ(lookout.Position(), std::make_pair(520, 50));
    Drag(lookout, 1, 91, 60, -300, 120);
    EXPECT_EQ(lookout.Position(), std::make_pair(220, 170));
}

TEST_F(WineWatcher, ADoubleClickStoresThePlaceWhereTheNextStartShowsIt)
{
    {
        WineLookout lookout(program);
        Drag(lookout, 1, 91, 60, 100, 50);
        ASSERT_EQ(lookout.Position(), std::make_pair(520, 50));
        DoubleClick(lookout, 91, 60);
        EXPECT_EQ(lookout.WaitForExit(3s), std::optional<int>(0));
    }
    EXPECT_EQ(FileBytes(settings), "[Tarvex Blinkmor]\r\nTop=750\r\nLeft=7800\r\n");

    WineLookout again(program);
    EXPECT_EQ(again.Position(), std::make_pair(520, 50));
}

TEST_F(WineWatcher, ASecondCopyEndsAtOnceWhileTheFirstRunsOn)
{
    WineLookout first(program);
    auto started = std::chrono::steady_clock::now();
    WineLookout second(program, false);
    EXPECT_EQ(second.WaitForExit(5s), std::optional<int>(0));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s); // Wine's own start included
    EXPECT_TRUE(first.Running());
    EXPECT_NE(first.PixelAt(91, 100), rootWhite);
}

TEST_F(WineWatcher, AReadOnlySettingsFileStaysAsItWasAndTheProgramStillEnds)
{
    const std::string stored = "[Tarvex Blinkmor]\r\nTop=1500\r\nLeft=3000\r\n";
    WriteBytes(settings, stored);
    ASSERT_EQ(chmod(settings.c_str(), 0444), 0);
    WineLookout lookout(program);
    ASSERT_EQ(lookout.Position(), std::make_pair(200, 100)); // the stored place
    Drag(lookout, 1, 91, 60, 40, 30);
    ASSERT_EQ(lookout.Position(), std::make_pair(240, 130));
    DoubleClick(lookout, 91, 60);
    EXPECT_EQ(lookout.WaitForExit(3s), std::optional<int>(0));
    EXPECT_EQ(FileBytes(settings), stored);
}

} // namespace
