// What lookout costs on each Wayland desktop of the tests: its CPU and wake-ups, and the
// compositor's CPU (with its Xwayland and helpers), while the pointer rests and while it moves
// as a mouse does (20 motions a second round the screen), and lookout's peak memory; on GNOME,
// how soon lookout's Shell extension reports a motion.
// Usage: wayland_figures [seconds per phase, default 20] [desktop...]   (default: every one)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "running_lookout.h"
#include "temp_folder.h"
#include "wayland/wayland_desktop.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::string StatusField(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":"))
            return line.substr(field.size() + 1);
    return "";
}

// CPU time of every thread of a process, in nanoseconds.
long long CpuNs(pid_t pid)
{
    long long total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* folder = opendir(tasks.c_str())) {
        while (dirent* task = readdir(folder)) {
            long long ns = 0;
            if (task->d_name[0] != '.' && std::ifstream(tasks + "/" + task->d_name + "/schedstat") >> ns)
                total += ns;
        }
        closedir(folder);
    }
    return total;
}

// The processes of a group: the compositor started one of its own.
std::vector<pid_t> GroupOf(pid_t group)
{
    std::vector<pid_t> members;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        pid_t pid = std::atoi(entry->d_name);
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string text;
        if (pid <= 0 || !std::getline(stat, text))
            continue;
        std::istringstream fields(text.substr(text.rfind(')') + 2)); // state, ppid, pgrp...
        std::string state;
        pid_t parent = 0, pgrp = 0;
        if (fields >> state >> parent >> pgrp && pgrp == group)
            members.push_back(pid);
    }
    if (proc)
        closedir(proc);
    return members;
}

struct Sample {
    long long lookoutNs, wakeups, compositorNs;
    Clock::time_point at;
};

Sample Take(pid_t lookout, pid_t compositorGroup)
{
    long long compositor = 0;
    for (pid_t pid : GroupOf(compositorGroup))
        compositor += CpuNs(pid);
    return {CpuNs(lookout), std::atoll(StatusField(lookout, "voluntary_ctxt_switches").c_str()), compositor,
            Clock::now()};
}

// lookout's CPU %, its wake-ups a second, the compositor's CPU %.
std::string Between(const Sample& from, const Sample& to)
{
    double seconds = std::chrono::duration<double>(to.at - from.at).count();
    char text[80];
    std::snprintf(text, sizeof text, "%6.2f %% %6.1f/s %6.2f %%", (to.lookoutNs - from.lookoutNs) / 1e7 / seconds,
                  (to.wakeups - from.wakeups) / seconds, (to.compositorNs - from.compositorNs) / 1e7 / seconds);
    return text;
}

// From a motion of one pixel to the extension's report, heard by a listener in lookout's place.
void ExtensionDelays(const WaylandDesktop& desktop, RunningLookout& lookout)
{
    kill(lookout.Pid(), SIGKILL);
    lookout.WaitForExit(3s);
    LineDriven listener({LOOKOUT_GNOME_REMOTE}, desktop.ClientEnvironment(), "/dev/null");
    if (!Eventually([&] { return listener.Ask("own") == "ok"; }))
        throw std::runtime_error("lookout's bus name stayed taken");
    auto reports = [&] {
        long count = 0;
        std::istringstream(listener.Ask("reports").substr(2)) >> count;
        return count;
    };
    std::vector<double> delays;
    for (int motion = 0; motion < 20; ++motion) {
        std::this_thread::sleep_for(200ms); // the extension's tick after the last motion over
        const long before = reports();
        const Clock::time_point moved = Clock::now();
        desktop.MovePointer(300 + motion % 2, 300);
        while (reports() == before && Clock::now() - moved < 1s) {
        }
        delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - moved).count());
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%-12s the extension's report of a motion after %.1f ms (median), %.1f ms (worst of 20)\n", "",
                delays[10], delays.back());
}

void Measure(const std::string& name, std::chrono::seconds phase)
{
    auto desktop = StartDesktop(name);
    TempFolder folder;
    std::vector<std::string> command{"env"};
    for (const std::string& variable : desktop->ClientEnvironment())
        command.push_back(variable);
    const int width = DisplayWidth(desktop->Connection(), 0), height = DisplayHeight(desktop->Connection(), 0);
    desktop->MovePointer(width - 1, height - 1);
    RunningLookout lookout(*desktop, InstallLookout(folder.Path()), true, command);
    std::this_thread::sleep_for(2s); // its start over
    const pid_t group = desktop->CompositorPid();
    Sample restFrom = Take(lookout.Pid(), group);
    std::this_thread::sleep_for(phase);
    Sample restTo = Take(lookout.Pid(), group);
    for (int step = 0; Clock::now() - restTo.at < phase; ++step) {
        double angle = step * 0.05;
        desktop->MovePointer(width / 2 + static_cast<int>(width / 3 * std::cos(angle)),
                             height / 2 + static_cast<int>(height / 3 * std::sin(angle)));
        std::this_thread::sleep_for(50ms);
    }
    Sample moved = Take(lookout.Pid(), group);
    std::printf("%-12s %s   %s   %s\n", name.c_str(), Between(restFrom, restTo).c_str(),
                Between(restTo, moved).c_str(), StatusField(lookout.Pid(), "VmHWM").c_str() + 1);
    if (name == "gnome")
        ExtensionDelays(*desktop, lookout);
}

} // namespace

int main(int argc, char** argv)
{
    std::chrono::seconds phase(argc > 1 ? std::atoi(argv[1]) : 20);
    std::vector<std::string> names(argv + std::min(argc, 2), argv + argc);
    if (names.empty())
        names = RegisteredDesktops();
    std::printf("%-12s %-30s   %-30s   %s\n", "desktop", "at rest: lookout, wake-ups, compositor",
                "moving: the same", "lookout's peak memory");
    for (const std::string& name : names) {
        try {
            Measure(name, phase);
        } catch (const std::exception& error) {
            std::printf("%-12s did not run: %s\n", name.c_str(), error.what());
        }
        std::fflush(stdout);
    }
}
