// Drives a GNOME Shell of the tests' own over its session bus, one command a line on standard
// input, each answered "ok" (or "error ...") on standard output:
//   move DX DY              relative motion, in logical pixels (org.gnome.Mutter.RemoteDesktop)
//   button CODE 1|0         a button (evdev code) down or up
//   key KEYSYM              a key pressed and released (X11 keysym: 65307 is Escape)
//   shot X Y W H FILE       a PNG of that area (org.gnome.Shell.Screenshot, which serves only
//                           the names of GNOME's own tools: this program owns org.gnome.Screenshot)
//   own                     takes lookout's name, org.lookout.Pointer, to hear the extension's reports
//   reports                 "ok COUNT X Y": the reports heard so far and the last one's place
// The remote desktop session lasts as long as this program's connection.

#include <systemd/sd-bus.h>

#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr const char* mutter = "org.gnome.Mutter.RemoteDesktop";

struct Bus {
    sd_bus* bus = nullptr;
    std::string session;
    std::string error;
    long reports = 0;
    int x = 0, y = 0;

    // One call; false with the error kept.
    bool Call(const char* destination, const char* path, const char* interface, const char* member,
              sd_bus_message** reply, const char* types, auto... arguments)
    {
        sd_bus_error failure = SD_BUS_ERROR_NULL;
        int result = sd_bus_call_method(bus, destination, path, interface, member, &failure, reply, types,
                                        arguments...);
        if (result < 0)
            error = failure.message ? failure.message : member;
        sd_bus_error_free(&failure);
        return result >= 0;
    }
};

int OnReport(sd_bus_message* message, void* data, sd_bus_error*)
{
    Bus& bus = *static_cast<Bus*>(data);
    int width, height;
    if (!sd_bus_message_is_method_call(message, "org.lookout.Pointer", "Moved") ||
        sd_bus_message_read(message, "iiii", &bus.x, &bus.y, &width, &height) < 0)
        return 0;
    ++bus.reports;
    return sd_bus_reply_method_return(message, "");
}

bool Start(Bus& bus)
{
    sd_bus_message* reply = nullptr;
    const char* session = nullptr;
    // A second of these tools drives the pointer but takes no screenshots.
    if (sd_bus_open_user(&bus.bus) < 0 ||
        sd_bus_request_name(bus.bus, "org.gnome.Screenshot", SD_BUS_NAME_QUEUE) < 0 ||
        sd_bus_add_object(bus.bus, nullptr, "/org/lookout/Pointer", OnReport, &bus) < 0 ||
        !bus.Call(mutter, "/org/gnome/Mutter/RemoteDesktop", mutter, "CreateSession", &reply, "") ||
        sd_bus_message_read(reply, "o", &session) < 0)
        return false;
    bus.session = session;
    sd_bus_message_unref(reply);
    return bus.Call(mutter, bus.session.c_str(), "org.gnome.Mutter.RemoteDesktop.Session", "Start", nullptr, "");
}

// Carries out one command; false with the error kept, or with the answer's figures there.
bool Run(Bus& bus, const std::string& line, std::string& figures)
{
    std::istringstream words(line);
    std::string command;
    words >> command;
    const char* session = bus.session.c_str();
    const char* input = "org.gnome.Mutter.RemoteDesktop.Session";
    if (double dx, dy; command == "move" && words >> dx >> dy)
        return bus.Call(mutter, session, input, "NotifyPointerMotionRelative", nullptr, "dd", dx, dy);
    if (int code, down; command == "button" && words >> code >> down)
        return bus.Call(mutter, session, input, "NotifyPointerButton", nullptr, "ib", code, down);
    if (unsigned key; command == "key" && words >> key)
        return bus.Call(mutter, session, input, "NotifyKeyboardKeysym", nullptr, "ub", key, 1) &&
               bus.Call(mutter, session, input, "NotifyKeyboardKeysym", nullptr, "ub", key, 0);
    if (int x, y, w, h; command == "shot" && words >> x >> y >> w >> h) {
        std::string file;
        words >> file;
        sd_bus_message* reply = nullptr;
        int success = 0;
        bool called = bus.Call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                               "org.gnome.Shell.Screenshot", "ScreenshotArea", &reply, "iiiibs", x, y, w, h, 0,
                               file.c_str()) &&
                      sd_bus_message_read(reply, "b", &success) >= 0;
        sd_bus_message_unref(reply);
        if (called && !success)
            bus.error = "no screenshot";
        return called && success;
    }
    if (command == "own")
        return sd_bus_request_name(bus.bus, "org.lookout.Pointer", 0) >= 0;
    if (command == "reports") {
        while (sd_bus_process(bus.bus, nullptr) > 0) { // what has come
        }
        figures = " " + std::to_string(bus.reports) + " " + std::to_string(bus.x) + " " + std::to_string(bus.y);
        return true;
    }
    bus.error = "unknown command";
    return false;
}

} // namespace

int main()
{
    Bus bus;
    if (!Start(bus)) {
        std::cerr << "gnome_remote: " << bus.error << "\n";
        return 1;
    }
    for (std::string line; std::getline(std::cin, line);) {
        std::string figures;
        bool done = Run(bus, line, figures);
        std::cout << (done ? "ok" + figures : "error " + bus.error) << std::endl;
    }
}
