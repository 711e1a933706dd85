// GNOME Shell, headless with a virtual monitor, on a private system bus and session bus of
// its own, with lookout's extension turned on in its settings before it starts (as a user
// turns it on, then logs in again). Input comes through mutter's remote desktop interface and
// screenshots through the shell's, both driven by the tests' gnome_remote tool.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
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
    GnomeShell();
    ~GnomeShell() override;
    std::vector<unsigned> Pixels(int left, int top, int width, int height) const override;
    void Button(unsigned button, bool down) const override;

private:
    void Jump(int x, int y) const override;
    void Command(const std::string& line) const; // to gnome_remote, answered once done
    pid_t StartBus(const std::string& kind, const std::string& socket);
    std::string XwaylandDisplay() const; // the lowest display whose lock the shell holds

    pid_t systemBus_ = -1, sessionBus_ = -1, remote_ = -1;
    FILE* toRemote_ = nullptr;
    FILE* fromRemote_ = nullptr;
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

GnomeShell::GnomeShell() : WaylandDesktop(true, 1)
{
    if (FindProgram("gnome-shell").empty() || FindProgram("dbus-daemon").empty())
        throw std::runtime_error("needs gnome-shell and dbus-daemon");
    const std::string runtime = folder_ + "/runtime", home = folder_ + "/home";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
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

    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    remote_ = fork();
    if (remote_ == 0) {
        setpgid(0, 0);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        for (int fd = 3; fd < 256; ++fd)
            close(fd);
        putenv(const_cast<char*>(sessionBus.c_str()));
        execl(LOOKOUT_GNOME_REMOTE, LOOKOUT_GNOME_REMOTE, nullptr);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toRemote_ = fdopen(in[1], "w");
    fromRemote_ = fdopen(out[0], "r");
    // Out of the overview, and the pointer to a known place: the bottom-right corner, in small steps.
    Command("key " + std::to_string(escapeKey));
    for (int step = 0; step < std::max(width, height) / 8 + 1; ++step)
        Command("move 8 8");
    x_ = width - 1, y_ = height - 1;
    Started(compositorPid_, display,
            {"WAYLAND_DISPLAY=" + runtime + "/wayland-lookout", "DISPLAY=" + display, "XDG_RUNTIME_DIR=" + runtime,
             sessionBus, "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME"});
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
    if (toRemote_)
        fclose(toRemote_); // the remote ends at the end of its input
    if (fromRemote_)
        fclose(fromRemote_);
    StopGroup(remote_);
    Disconnect();
    StopGroup(compositorPid_);
    compositorPid_ = -1;
    StopGroup(sessionBus_);
    StopGroup(systemBus_);
}

void GnomeShell::Command(const std::string& line) const
{
    char answer[256] = "";
    if (std::fprintf(toRemote_, "%s\n", line.c_str()) < 0 || std::fflush(toRemote_) != 0 ||
        !std::fgets(answer, sizeof answer, fromRemote_))
        throw std::runtime_error("gnome_remote ended: " + FileBytes(folder_ + "/shell.log"));
    if (std::string(answer) != "ok\n")
        throw std::runtime_error("gnome_remote: " + line + ": " + answer);
}

void GnomeShell::Jump(int x, int y) const
{
    Command("move " + std::to_string(x - x_) + " " + std::to_string(y - y_));
    x_ = x, y_ = y;
}

void GnomeShell::Button(unsigned button, bool down) const
{
    const unsigned codes[] = {0, 0x110, 0x112, 0x111}; // BTN_LEFT, BTN_MIDDLE, BTN_RIGHT for X11's 1, 2, 3
    Command("button " + std::to_string(codes[button]) + (down ? " 1" : " 0"));
}

std::vector<unsigned> GnomeShell::Pixels(int left, int top, int width, int height) const
{
    const std::string shot = folder_ + "/shot.png";
    Command("shot " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width) + " " +
            std::to_string(height) + " " + shot);
    FILE* convert = popen(("convert " + shot + " -depth 8 ppm:-").c_str(), "r");
    int w = 0, h = 0, maximum = 0;
    std::vector<unsigned> pixels;
    if (convert && std::fscanf(convert, "P6 %d %d %d", &w, &h, &maximum) == 3 && std::fgetc(convert) != EOF &&
        w == width && h == height)
        for (int i = 0; i < w * h; ++i) {
            unsigned char rgb[3];
            if (std::fread(rgb, 1, 3, convert) != 3)
                break;
            pixels.push_back(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
        }
    if (convert)
        pclose(convert);
    if (pixels.size() != static_cast<size_t>(width) * height)
        throw std::runtime_error("the shell took no screenshot");
    return pixels;
}

const bool registered = RegisterDesktop("gnome", [] { return std::make_unique<GnomeShell>(); });

} // namespace
