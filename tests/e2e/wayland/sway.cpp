// sway on its headless backend, run as the tests' unprivileged user where root runs the tests
// (sway refuses root; root's X clients are let in by that user's xhost): the
// pointer is a virtual one plugged into its seat, the screenshots grim's.

#include <X11/Xlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

#include "temp_folder.h"
#include "wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* testUser = "lookout-test"; // made by the test scripts
constexpr int width = 1024, height = 768;

class Sway : public WaylandDesktop {
public:
    Sway();
    ~Sway() override;
    std::vector<unsigned> Pixels(int left, int top, int width, int height) const override;
    void Button(unsigned button, bool down) const override;

private:
    void Jump(int x, int y) const override;
    void Command(const std::string& line) const; // to the virtual pointer, answered once the compositor has it

    pid_t pointer_ = -1;
    FILE* toPointer_ = nullptr;
    FILE* fromPointer_ = nullptr;
};

Sway::Sway() : WaylandDesktop(false, 1)
{
    // Root starts it as the tests' user, anyone else as themselves.
    const passwd* user = getuid() == 0 ? getpwnam(testUser) : getpwuid(getuid());
    if (FindProgram("sway").empty() || FindProgram("grim").empty() || !user)
        throw std::runtime_error("needs sway, grim and the user " + std::string(testUser));
    const std::string runtime = folder_ + "/runtime";
    std::filesystem::create_directories(runtime);
    std::ofstream(folder_ + "/config") << "output HEADLESS-1 resolution " << width << "x" << height << " position 0 0\n"
                                       << "default_border none\nxwayland enable\n"
                                       << "exec sh -c 'xhost +si:localuser:root >/dev/null && echo $DISPLAY >" << folder_
                                       << "/display'\n";
    for (const auto& entry : {std::filesystem::path(folder_), std::filesystem::path(runtime)})
        if (chown(entry.c_str(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot give " + entry.string() + " to " + testUser);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::vector<std::string> command{"dbus-run-session", "--", "sway", "-c", folder_ + "/config"};
    if (getuid() == 0)
        command.insert(command.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                         "--regid=" + std::to_string(user->pw_gid), "--init-groups"});
    pid_t sway = Spawn(command,
                       {"HOME=" + folder_, "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless",
                        "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "XDG_CONFIG_HOME=" + folder_ + "/config.d"},
                       folder_ + "/sway.log");
    compositorPid_ = sway;
    const std::string display = WaitForLine(folder_ + "/display", 60s);
    std::string socket;
    for (const auto& entry : std::filesystem::directory_iterator(runtime))
        if (entry.path().filename().string().starts_with("wayland-") && entry.path().extension() != ".lock")
            socket = entry.path().filename();
    std::vector<std::string> environment{"WAYLAND_DISPLAY=" + runtime + "/" + socket, "DISPLAY=" + display,
                                         "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=sway"};

    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    pointer_ = fork();
    if (pointer_ == 0) {
        setpgid(0, 0);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        for (int fd = 3; fd < 256; ++fd)
            close(fd);
        for (const std::string& variable : environment)
            putenv(const_cast<char*>(variable.c_str()));
        execl(LOOKOUT_VIRTUAL_POINTER, LOOKOUT_VIRTUAL_POINTER, std::to_string(width).c_str(),
              std::to_string(height).c_str(), nullptr);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toPointer_ = fdopen(in[1], "w");
    fromPointer_ = fdopen(out[0], "r");
    Started(sway, display, environment);
}

Sway::~Sway()
{
    if (toPointer_)
        fclose(toPointer_); // the pointer ends at the end of its input
    if (fromPointer_)
        fclose(fromPointer_);
    StopGroup(pointer_);
}

void Sway::Command(const std::string& line) const
{
    char answer[8] = "";
    if (std::fprintf(toPointer_, "%s\n", line.c_str()) < 0 || std::fflush(toPointer_) != 0 ||
        !std::fgets(answer, sizeof answer, fromPointer_))
        throw std::runtime_error("the virtual pointer ended");
}

void Sway::Jump(int x, int y) const { Command("move " + std::to_string(x) + " " + std::to_string(y)); }

void Sway::Button(unsigned button, bool down) const
{
    const unsigned codes[] = {0, 0x110, 0x112, 0x111}; // BTN_LEFT, BTN_MIDDLE, BTN_RIGHT for X11's 1, 2, 3
    Command("button " + std::to_string(codes[button]) + (down ? " 1" : " 0"));
}

std::vector<unsigned> Sway::Pixels(int left, int top, int width, int height) const
{
    std::string command = "grim -t ppm -g '" + std::to_string(left) + "," + std::to_string(top) + " " +
                          std::to_string(width) + "x" + std::to_string(height) + "' -";
    for (const std::string& variable : ClientEnvironment())
        command = variable + " " + command;
    FILE* grim = popen(("env " + command).c_str(), "r");
    int w = 0, h = 0, maximum = 0;
    std::vector<unsigned> pixels;
    if (grim && std::fscanf(grim, "P6 %d %d %d", &w, &h, &maximum) == 3 && std::fgetc(grim) != EOF && w == width &&
        h == height)
        for (int i = 0; i < w * h; ++i) {
            unsigned char rgb[3];
            if (std::fread(rgb, 1, 3, grim) != 3)
                break;
            pixels.push_back(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
        }
    if (grim)
        pclose(grim);
    if (pixels.size() != static_cast<size_t>(width) * height)
        throw std::runtime_error("grim took no screenshot");
    return pixels;
}

const bool registered = RegisterDesktop("sway", [] { return std::make_unique<Sway>(); });

} // namespace
