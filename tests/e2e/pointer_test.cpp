// The pointer moved by another program's warp on a server without RECORD, and a head that wakes
// at rest only to ask for warps.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

// Each wake-up of a process is a context switch, voluntary or not.
long ContextSwitches(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    long total = 0;
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches:") != std::string::npos)
            total += std::stol(line.substr(line.find(':') + 1));
    return total;
}

long ContextSwitchesOver(pid_t pid, std::chrono::milliseconds duration)
{
    long before = ContextSwitches(pid);
    std::this_thread::sleep_for(duration); // an observation window, not a wait for a state
    return ContextSwitches(pid) - before;
}

// With RECORD (Xvfb's default) the program's own tests show a warp on the next tick and a loop that sleeps at rest.
TEST(Pointer, WithoutRecordAWarpShowsAndAStillHeadWakesOnlyToAskForWarps)
{
    VirtualScreen screen(1024, 768, "", VirtualScreen::Server::XvfbWithoutRecord);
    TempFolder folder;
    RunningLookout lookout(screen, InstallLookout(folder.Path()));
    auto [left, top] = lookout.Position();
    Display* display = screen.Connection();
    for (bool right : {true, false, true}) {
        // 9 pixels right of the left eye's centre: black while it looks right, green while it looks left.
        XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, right ? left + 600 : 10, top + eyeY);
        XSync(display, False);
        EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(leftEyeX + 9, eyeY) == (right ? black : eyeGreen); }, 1s))
            << "looking right " << right;
    }
    // As under Xwayland, only the query for warps wakes it at rest, every 800 ms (twice: for the
    // query and for its answer), not every tick.
    EXPECT_TRUE(Eventually([&] { return ContextSwitchesOver(lookout.Pid(), 1s) < 4; }));
    EXPECT_LT(ContextSwitchesOver(lookout.Pid(), 4s), 16);
}

} // namespace
