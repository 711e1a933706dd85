// What every Wayland desktop of the tests shares: the native window, the pointer's glide, the registry.

#include "wayland_desktop.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "temp_folder.h"

using namespace std::chrono_literals;

namespace {

std::map<std::string, DesktopLauncher>& Launchers()
{
    static std::map<std::string, DesktopLauncher> launchers;
    return launchers;
}

} // namespace

WaylandDesktop::WaylandDesktop(bool pointerKnownEverywhere, double scale)
    : VirtualScreen(StartedElsewhere{}), scale_(scale), pointerKnownEverywhere_(pointerKnownEverywhere)
{
    char folder[] = "/tmp/lookout-wayland-XXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("mkdtemp failed");
    folder_ = folder;
}

WaylandDesktop::~WaylandDesktop()
{
    Disconnect();
    StopGroup(nativeWindow_);
    StopGroup(compositorPid_);
    std::filesystem::remove_all(folder_);
}

void WaylandDesktop::Started(pid_t compositorPid, const std::string& xDisplay, std::vector<std::string> environment)
{
    compositorPid_ = compositorPid;
    environment_ = std::move(environment);
    Connect(xDisplay);
    nativeWindow_ = Spawn({LOOKOUT_NATIVE_WINDOW, folder_ + "/native.log"}, environment_, folder_ + "/native.err");
    // Shown once it fills the middle of the output.
    int width = DisplayWidth(Connection(), 0), height = DisplayHeight(Connection(), 0);
    if (!Eventually([&] { return ScreenPixel(width / 2, height / 2) == nativeColour; }, 20s))
        throw std::runtime_error("the native window never showed: " + FileBytes(folder_ + "/native.err"));
    Jump(pointerX_ = width / 2, pointerY_ = height / 2);
}

void WaylandDesktop::MovePointer(int x, int y) const
{
    // Steps of at most 8 pixels: Xwayland applies a large jump again, as a relative motion, at the next press.
    int steps = std::max(1, static_cast<int>(std::ceil(std::hypot(x - pointerX_, y - pointerY_) / 8)));
    for (int step = 1; step <= steps; ++step)
        Jump(pointerX_ + (x - pointerX_) * step / steps, pointerY_ + (y - pointerY_) * step / steps);
    pointerX_ = x, pointerY_ = y;
}

int WaylandDesktop::XwaylandMajorVersion() const
{
    return VendorRelease(Connection()) / 100000 % 100; // 12401006 for 24.1.6
}

std::vector<std::string> WaylandDesktop::NativeEvents() const
{
    std::vector<std::string> events;
    std::istringstream log(FileBytes(folder_ + "/native.log"));
    for (std::string line; std::getline(log, line);)
        events.push_back(line);
    return events;
}

std::string WaylandDesktop::OnNativeWindow(int x, int y) const
{
    // Maximised: as wide as the output, and below a panel along the top where there is one.
    int width = 0, height = 0;
    for (const std::string& event : NativeEvents())
        std::sscanf(event.c_str(), "size %d %d", &width, &height);
    if (width <= 0 || height <= 0)
        throw std::runtime_error("the native window logged no size");
    const double rootPerPixel = static_cast<double>(DisplayWidth(Connection(), 0)) / width;
    const double top = DisplayHeight(Connection(), 0) / rootPerPixel - height;
    return std::to_string(std::lround(x / rootPerPixel)) + " " + std::to_string(std::lround(y / rootPerPixel - top));
}

bool RegisterDesktop(const std::string& name, DesktopLauncher launcher)
{
    Launchers()[name] = std::move(launcher);
    return true;
}

std::vector<std::string> RegisteredDesktops()
{
    std::vector<std::string> names;
    for (const auto& [name, launcher] : Launchers())
        names.push_back(name);
    return names;
}

std::unique_ptr<WaylandDesktop> StartDesktop(const std::string& name) { return Launchers().at(name)(); }

std::string FindProgram(const std::string& name)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string folder; std::getline(path, folder, ':');)
        if (access((folder + "/" + name).c_str(), X_OK) == 0)
            return folder + "/" + name;
    return "";
}

std::string WaitForLine(const std::string& file, std::chrono::milliseconds patience)
{
    std::string line;
    Eventually([&] {
        std::ifstream in(file);
        return std::getline(in, line) && !line.empty();
    }, patience);
    if (line.empty())
        throw std::runtime_error("nothing written to " + file);
    return line;
}
