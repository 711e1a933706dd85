// Reading the session's kind and desktop from its environment.

#include "desktop_session.h"

#include <cstdlib>
#include <string_view>

namespace {

// XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME".
bool Lists(std::string_view desktops, std::string_view name)
{
    while (!desktops.empty()) {
        auto end = desktops.find(':');
        if (desktops.substr(0, end) == name)
            return true;
        desktops = end == std::string_view::npos ? std::string_view() : desktops.substr(end + 1);
    }
    return false;
}

} // namespace

DesktopSession SessionOf(const char* sessionType, const char* waylandDisplay, const char* currentDesktops)
{
    DesktopSession session;
    // An X11 session says so, whatever WAYLAND_DISPLAY a terminal may have brought along; one
    // started from a console says "tty".
    std::string_view type = sessionType ? sessionType : "";
    session.wayland = type == "wayland" || (type != "x11" && waylandDisplay && *waylandDisplay);
    std::string_view desktops = currentDesktops ? currentDesktops : "";
    if (Lists(desktops, "GNOME"))
        session.desktop = Desktop::Gnome;
    else if (Lists(desktops, "KDE"))
        session.desktop = Desktop::Kde;
    return session;
}

DesktopSession ThisSession()
{
    return SessionOf(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY"),
                     std::getenv("XDG_CURRENT_DESKTOP"));
}
