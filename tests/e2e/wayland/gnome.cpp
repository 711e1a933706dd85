// GNOME Shell, headless with a virtual monitor, on a private system bus and session bus of
// its own, with lookout's extension turned on in its settings before it starts (as a user
// turns it on, then logs in again). Input comes through mutter's remote desktop interface and
// screenshots through the shell's, both driven by the tests' gnome_remote tool.

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_folder.h"
#include "wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

constexpr int width = 1280, height = 800;
constexpr unsigned escapeKey = 0xff1b; // the shell starts in its overview

class GnomeShell : public WaylandDesktop {
public:
    GnomeShell() : WaylandDesktop(true, 1) {}
    ~GnomeShell() override;
    void Start() override;
    std::vector<unsigned> Pixels(int left, int top, int width, int height) const override;
    void Button(unsigned button, bool down) const override;

private:
    void Jump(int x, int y) const override;
    void Command(const std::string& line) const; // to gnome_remote, answered once done
    pid_t StartBus(const std::string& kind, const std::string& socket);
    std::string XwaylandDisplay() const; // the lowest display whose lock the shell holds

    pid_t systemBus_ = -1, sessionBus_ = -1;
    std::unique_ptr<LineDriven> remote_;
    mutable int x_ = 0, y_ = 0; // where the pointer is
};

pid_t GnomeShell::StartBus(const std::string& kind, const std::string& socket)
{
    // The system bus that the shell insists on, open to everyone; the session bus as dbus-run-session has it.
    const std::string config = folder_ + "/" + kind + ".conf";
    std::ofstream(config) << "<busconfig><type>" << kind << "</type><listen>unix:path=" << socket
                          << "</listen><auth>EXTERNAL</auth>"
                          << (kind == "session" ? "<standard_session_servicedirs/>" : "")
                          << "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                             "<allow eavesdrop=\"true\"/><allow own=\"*\"/><allow user=\"*\"/></policy></busconfig>\n";
    pid_t bus = Spawn({"dbus-daemon", "--nofork", "--config-file=" + config}, {}, folder_ + "/" + kind + "-bus.log");
    if (!Eventually([&] { return std::filesystem::exists(socket); }, 10s))
        throw std::runtime_error("the " + kind + " bus did not start: " + FileBytes(folder_ + "/" + kind + "-bus.log"));
    return bus;
}

std::string GnomeShell::XwaylandDisplay() const
{
    for (int number = 0; number < 256; ++number) {
        std::ifstream lock("/tmp/.X" + std::to_string(number) + "-lock");
        int owner = 0;
        if (lock >> owner && owner == compositorPid_)
            return ":" + std::to_string(number);
    }
    return "";
}

void GnomeShell::Start()
{
    if (FindProgram("gnome-shell").empty() || FindProgram("dbus-daemon").empty())
        throw std::runtime_error("needs gnome-shell and dbus-daemon");
    const std::string runtime = RuntimeFolder(), home = folder_ + "/home";
    // Mutter refuses an X11 socket folder that others could take over, as a fresh container may have it.
    std::filesystem::create_directories("/tmp/.X11-unix");
    chmod("/tmp/.X11-unix", 01777);
    const std::filesystem::path extensions = home + "/.local/share/gnome-shell/extensions";
    std::filesystem::create_directories(extensions);
    for (const auto& extension : std::filesystem::directory_iterator(LOOKOUT_GNOME_EXTENSIONS))
        std::filesystem::copy(extension.path(), extensions / extension.path().filename(),
                              std::filesystem::copy_options::recursive);
    // Both formats are turned on: the shell runs the one that fits it and marks the other out of date.
    std::filesystem::create_directories(folder_ + "/config/glib-2.0/settings");
    std::ofstream(folder_ + "/config/glib-2.0/settings/keyfile")
        << "[org/gnome/shell]\nenabled-extensions=['" LOOKOUT_GNOME_EXTENSION "', '" LOOKOUT_GNOME_EXTENSION_LEGACY
           "']\nwelcome-dialog-last-shown-version='999'\n\n[org/gnome/desktop/interface]\nenable-hot-corners=false\n";
    systemBus_ = StartBus("system", folder_ + "/system_bus");
    sessionBus_ = StartBus("session", folder_ + "/session_bus");
    const std::string sessionBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=" + folder_ + "/session_bus";
    compositorPid_ = Spawn({"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                            std::to_string(width) + "x" + std::to_string(height), "--wayland-display", "wayland-lookout"},
                           {"HOME=" + home, "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=" + folder_ + "/config",
                            "XDG_DATA_HOME=" + home + "/.local/share", "GSETTINGS_BACKEND=keyfile", sessionBus,
                            "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + folder_ + "/system_bus", "DISPLAY=", "WAYLAND_DISPLAY=",
                            "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME"},
                           folder_ + "/shell.log");
    std::string display;
    if (!Eventually([&] { return !(display = XwaylandDisplay()).empty(); }, 30s))
        throw std::runtime_error("the shell started no Xwayland: " + FileBytes(folder_ + "/shell.log"));
    // Let root's X clients in without the shell's cookie, as the X server of a user's session does.
    std::string xauthority;
    Eventually([&] {
        for (const auto& entry : std::filesystem::directory_iterator(runtime))
            if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth"))
                xauthority = entry.path();
        return !xauthority.empty();
    }, 10s);
    const std::string xhost = "DISPLAY=" + display + " XAUTHORITY=" + xauthority + " xhost +si:localuser:root >/dev/null";
    if (!Eventually([&] { return std::system(xhost.c_str()) == 0; }, 20s))
        throw std::runtime_error("Xwayland " + display + " let no one in");

    remote_ = std::make_unique<LineDriven>(std::vector<std::string>{LOOKOUT_GNOME_REMOTE},
                                           std::vector<std::string>{sessionBus}, folder_ + "/remote.log");
    // Out of the overview, and the pointer to a known place: the bottom-right corner, in small steps.
    Command("key " + std::to_string(escapeKey));
    for (int step = 0; step < std::max(width, height) / 8 + 1; ++step)
        Command("move 8 8");
    x_ = width - 1, y_ = height - 1;
    Started(display, {"WAYLAND_DISPLAY=" + runtime + "/wayland-lookout", "DISPLAY=" + display,
                      "XDG_RUNTIME_DIR=" + runtime, sessionBus, "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME"});
    // The maximised native window shows at the bottom of the screen once the overview has gone, and
    // below the top bar once the banner that tells root of its privileges has gone (with some motion).
    // A shell still starting may take the first Escape for nothing, or open the overview again: ask again.
    bool shown = false;
    for (int tries = 0; tries < 3 && !shown; ++tries) {
        if (tries)
            Command("key " + std::to_string(escapeKey));
        shown = Eventually([&] { return ScreenPixel(width / 2, height - 2) == nativeColour; }, 10s);
    }
    if (!shown)
        throw std::runtime_error("the shell stayed in its overview");
    if (!Eventually([&] {
            MovePointer(width / 2 + (x_ == width / 2 ? 8 : 0), height / 2);
            return ScreenPixel(width / 2, 60) == nativeColour;
        }, 20s))
        throw std::runtime_error("a notification stayed on the screen");
}

GnomeShell::~GnomeShell()
{
    remote_.reset();
    Disconnect();
    StopGroup(compositorPid_);
    compositorPid_ = -1;
    StopGroup(sessionBus_);
    StopGroup(systemBus_);
}

void GnomeShell::Command(const std::string& line) const
{
    if (const std::string answer = remote_->Ask(line); answer != "ok")
        throw std::runtime_error("gnome_remote: " + line + ": " + answer);
}

void GnomeShell::Jump(int x, int y) const
{
    Command("move " + std::to_string(x - x_) + " " + std::to_string(y - y_));
    x_ = x, y_ = y;
}

void GnomeShell::Button(unsigned button, bool down) const
{
    Command("button " + std::to_string(EvdevButton(button)) + (down ? " 1" : " 0"));
}

std::vector<unsigned> GnomeShell::Pixels(int left, int top, int width, int height) const
{
    const std::string shot = folder_ + "/shot.png";
    Command("shot " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width) + " " +
            std::to_string(height) + " " + shot);
    return PixelsFrom("convert " + shot + " -depth 8 ppm:-", width, height);
}

const bool registered = RegisterDesktop("gnome", [] { return std::make_unique<GnomeShell>(); });

} // namespace
