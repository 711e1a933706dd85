// KWin as a window of a private Xvfb (its X11 backend): the pointer is moved there through XTest
// and the screen read from there. This needs neither fake input nor the screenshot interface, which
// KWin grants only to programs with an installed desktop file, and it works where KWin 6 has no
// OpenGL. A copy of kwin_wayland, without the file capabilities that a container cannot grant.
// At scale 2, X11 clients scale themselves, as Plasma 6 has it by default.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "temp_folder.h"
#include "wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

class KWin : public WaylandDesktop {
public:
    explicit KWin(int scale) : WaylandDesktop(true, scale), host_(1024 * scale, 768 * scale) {}
    void Start() override;
    std::vector<unsigned> Pixels(int left, int top, int width, int height) const override
    {
        return host_.Pixels(left, top, width, height);
    }
    void Button(unsigned button, bool down) const override { host_.Button(button, down); }

private:
    void Jump(int x, int y) const override { host_.MovePointer(x, y); }

    VirtualScreen host_; // physical pixels: the X11 root's at scale 1 and where clients scale themselves
};

void KWin::Start()
{
    if (FindProgram("kwin_wayland").empty())
        throw std::runtime_error("needs kwin_wayland");
    const std::string runtime = RuntimeFolder(), config = folder_ + "/config";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(folder_ + "/bin");
    // Its own platform plugin loads only into a program of that name.
    const std::string program = folder_ + "/bin/kwin_wayland";
    std::filesystem::copy_file(FindProgram("kwin_wayland"), program);
    // Plasma 5.27 reads the scale X11 clients take; Plasma 6 whether they take the output's (and
    // would apply a 5.27 scale on top).
    std::ofstream kwinrc(config + "/kwinrc");
    kwinrc << "[Xwayland]\nXwaylandClientsScale=true\n";
    if (std::system((program + " --version >" + folder_ + "/version 2>/dev/null").c_str()) == 0 &&
        FileBytes(folder_ + "/version").starts_with("kwin 5."))
        kwinrc << "Scale=" << scale_ << "\n";
    kwinrc.close();
    // The program KWin starts tells the displays, then lives while the desktop's folder does: KWin
    // starts it out of the compositor's process group, which the desktop's end stops.
    std::ofstream(folder_ + "/started") << "#!/bin/sh\necho \"$DISPLAY $DBUS_SESSION_BUS_ADDRESS\" >" << folder_
                                         << "/displays\nwhile [ -e " << folder_ << "/displays ]; do sleep 1; done\n";
    std::filesystem::permissions(folder_ + "/started", std::filesystem::perms::owner_all);
    compositorPid_ = Spawn({"dbus-run-session", "--", program, "--x11-display", host_.Name(), "--width", "1024",
                            "--height", "768", "--scale", std::to_string(std::lround(scale_)), "--xwayland", "--socket",
                            "wayland-lookout", "--no-lockscreen", "--no-global-shortcuts", folder_ + "/started"},
                           {"HOME=" + folder_, "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=" + config,
                            "QT_QPA_PLATFORM=wayland-org.kde.kwin.qpa"},
                           folder_ + "/kwin.log");
    std::string displays = WaitForLine(folder_ + "/displays", 60s);
    std::string display = displays.substr(0, displays.find(' '));
    Started(display, {"WAYLAND_DISPLAY=" + runtime + "/wayland-lookout", "DISPLAY=" + display,
                      "DBUS_SESSION_BUS_ADDRESS=" + displays.substr(displays.find(' ') + 1), "XDG_SESSION_TYPE=wayland",
                      "XDG_CURRENT_DESKTOP=KDE"});
}

const bool registered = RegisterDesktop("kwin", [] { return std::make_unique<KWin>(1); }) &&
                        RegisterDesktop("kwin_scale2", [] { return std::make_unique<KWin>(2); });

} // namespace
