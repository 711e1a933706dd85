// sway on its headless backend, run as the tests' unprivileged user where root runs the tests
// (sway refuses root; root's X clients are let in by that user's xhost): the
// pointer is a virtual one plugged into its seat, the screenshots grim's.

#include <filesystem>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

#include "wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* testUser = "lookout-test"; // made by the test scripts
constexpr int width = 1024, height = 768;

class Sway : public WaylandDesktop {
public:
    Sway() : WaylandDesktop(false, 1) {}
    void Start() override;
    std::vector<unsigned> Pixels(int left, int top, int width, int height) const override;
    void Button(unsigned button, bool down) const override;

private:
    void Jump(int x, int y) const override;

    std::unique_ptr<LineDriven> pointer_; // answers once the compositor has each command
};

void Sway::Start()
{
    // Root starts it as the tests' user, anyone else as themselves.
    const passwd* user = getuid() == 0 ? getpwnam(testUser) : getpwuid(getuid());
    if (FindProgram("sway").empty() || FindProgram("grim").empty() || !user)
        throw std::runtime_error("needs sway, grim and the user " + std::string(testUser));
    const std::string runtime = RuntimeFolder();
    std::ofstream(folder_ + "/config") << "output HEADLESS-1 resolution " << width << "x" << height << " position 0 0\n"
                                       << "default_border none\nxwayland enable\n"
                                       << "exec sh -c 'xhost +si:localuser:root >/dev/null && echo $DISPLAY >" << folder_
                                       << "/display'\n";
    for (const auto& entry : {std::filesystem::path(folder_), std::filesystem::path(runtime)})
        if (chown(entry.c_str(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot give " + entry.string() + " to " + testUser);
    std::vector<std::string> command{"dbus-run-session", "--", "sway", "-c", folder_ + "/config"};
    if (getuid() == 0)
        command.insert(command.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                         "--regid=" + std::to_string(user->pw_gid), "--init-groups"});
    compositorPid_ = Spawn(command,
                           {"HOME=" + folder_, "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless",
                            "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "XDG_CONFIG_HOME=" + folder_ + "/config.d"},
                           folder_ + "/sway.log");
    const std::string display = WaitForLine(folder_ + "/display", 60s);
    std::string socket;
    for (const auto& entry : std::filesystem::directory_iterator(runtime))
        if (entry.path().filename().string().starts_with("wayland-") && entry.path().extension() != ".lock")
            socket = entry.path().filename();
    std::vector<std::string> environment{"WAYLAND_DISPLAY=" + runtime + "/" + socket, "DISPLAY=" + display,
                                         "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=sway"};
    pointer_ = std::make_unique<LineDriven>(
        std::vector<std::string>{LOOKOUT_VIRTUAL_POINTER, std::to_string(width), std::to_string(height)}, environment,
        folder_ + "/pointer.log");
    Started(display, environment);
}

void Sway::Jump(int x, int y) const { pointer_->Ask("move " + std::to_string(x) + " " + std::to_string(y)); }

void Sway::Button(unsigned button, bool down) const
{
    pointer_->Ask("button " + std::to_string(EvdevButton(button)) + (down ? " 1" : " 0"));
}

std::vector<unsigned> Sway::Pixels(int left, int top, int width, int height) const
{
    return PixelsFrom(InClientEnvironment("grim -t ppm -g '" + std::to_string(left) + "," + std::to_string(top) + " " +
                                          std::to_string(width) + "x" + std::to_string(height) + "' -"),
                      width, height);
}

const bool registered = RegisterDesktop("sway", [] { return std::make_unique<Sway>(); });

} // namespace
