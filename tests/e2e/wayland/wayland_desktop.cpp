// What every Wayland desktop of the tests shares: the native window, the pointer's glide, the registry.

#include "wayland_desktop.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
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

WaylandDesktop::~WaylandDesktop()
{
    Disconnect();
    StopGroup(nativeWindow_);
    StopGroup(compositorPid_);
}

std::string WaylandDesktop::RuntimeFolder() const
{
    const std::string runtime = folder_ + "/runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    return runtime;
}

std::string WaylandDesktop::InClientEnvironment(const std::string& command) const
{
    std::string line = "env";
    for (const std::string& variable : environment_)
        line += " '" + variable + "'";
    return line + " " + command;
}

void WaylandDesktop::Started(const std::string& xDisplay, std::vector<std::string> environment)
{
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

std::unique_ptr<WaylandDesktop> StartDesktop(const std::string& name)
{
    std::unique_ptr<WaylandDesktop> desktop = Launchers().at(name)();
    desktop->Start();
    return desktop;
}

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

std::string CommandOutput(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> output(popen(command.c_str(), "r"), pclose);
    std::string bytes;
    char buffer[65536];
    for (size_t count; output && (count = std::fread(buffer, 1, sizeof buffer, output.get())) > 0;)
        bytes.append(buffer, count);
    return bytes;
}

std::vector<unsigned> PixelsFrom(const std::string& command, int width, int height)
{
    const std::string ppm = CommandOutput(command);
    int w = 0, h = 0, header = 0;
    std::sscanf(ppm.c_str(), "P6 %d %d %*d%n", &w, &h, &header);
    const size_t count = static_cast<size_t>(width) * height;
    if (w != width || h != height || ppm.size() != header + 1 + 3 * count)
        throw std::runtime_error("no screenshot: " + command);
    std::vector<unsigned> pixels;
    for (size_t at = header + 1; at < ppm.size(); at += 3)
        pixels.push_back(static_cast<unsigned char>(ppm[at]) << 16 | static_cast<unsigned char>(ppm[at + 1]) << 8 |
                         static_cast<unsigned char>(ppm[at + 2]));
    return pixels;
}

unsigned EvdevButton(unsigned button)
{
    const unsigned codes[] = {0, 0x110, 0x112, 0x111}; // BTN_LEFT, BTN_MIDDLE, BTN_RIGHT for X11's 1, 2, 3
    return codes[button];
}

LineDriven::LineDriven(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                       const std::string& errorFile)
    : errorFile_(errorFile)
{
    std::signal(SIGPIPE, SIG_IGN); // a tool that has ended is reported, not the end of the tests
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = Spawn(command, environment, errorFile, -1, in[0], out[1]);
    close(in[0]);
    close(out[1]);
    to_ = fdopen(in[1], "w");
    from_ = fdopen(out[0], "r");
}

LineDriven::~LineDriven()
{
    fclose(to_); // the tools end at the end of their input
    fclose(from_);
    StopGroup(pid_);
}

std::string LineDriven::Ask(const std::string& command) const
{
    char answer[256] = "";
    if (std::fprintf(to_, "%s\n", command.c_str()) < 0 || std::fflush(to_) != 0 || !std::fgets(answer, sizeof answer, from_))
        throw std::runtime_error("ended before answering " + command + ": " + FileBytes(errorFile_));
    const std::string line = answer;
    return line.substr(0, line.find('\n'));
}
