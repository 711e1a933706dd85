// The pointer moved by another program's warp, with RECORD on the server and without it,
// and a head that does not wake at all while nothing moves (with RECORD) or only to ask for
// warps (without).

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

TEST(Pointer, AWarpShowsWithRecordAndWithoutAndAStillHeadWakesOnlyToAskForWarps)
{
    for (auto server : {VirtualScreen::Server::Xvfb, VirtualScreen::Server::XvfbWithoutRecord}) {
        bool recorded = server == VirtualScreen::Server::Xvfb;
        VirtualScreen screen(1024, 768, "", server);
        TempFolder folder;
        RunningLookout lookout(screen, InstallLookout(folder.Path()));
        auto [left, top] = lookout.Position();
        Display* display = screen.Connection();
        for (bool right : {true, false, true}) {
            // 9 pixels right of the left eye's centre: black while it looks right, green while it looks left.
            XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, right ? left + 600 : 10, top + eyeY);
            XSync(display, False);
            EXPECT_TRUE(Eventually([&] { return lookout.PixelAt(leftEyeX + 9, eyeY) == (right ? black : eyeGreen); },
                                   1s)) << "RECORD " << recorded << ", looking right " << right;
        }
        if (!recorded) {
            // Without RECORD, as under Xwayland, only the query for warps wakes it at rest, every
            // 800 ms (twice: for the query and for its answer), not every tick.
            EXPECT_TRUE(Eventually([&] { return ContextSwitchesOver(lookout.Pid(), 1s) < 4; }));
            EXPECT_LT(ContextSwitchesOver(lookout.Pid(), 4s), 16);
            continue;
        }
        // A few ticks after the last move it has nothing left to do: neither a tick nor a
        // request, as a process that sends a request has woken first.
        EXPECT_TRUE(Eventually([&] { return ContextSwitchesOver(lookout.Pid(), 200ms) == 0; }));
        EXPECT_EQ(ContextSwitchesOver(lookout.Pid(), 3s), 0);
    }
}

} // namespace
