// Which session lookout runs in, from the environment a desktop gives its programs.

#include <gtest/gtest.h>

#include "desktop_session.h"

namespace {

struct Environment {
    const char* name;
    const char* sessionType;
    const char* waylandDisplay;
    const char* currentDesktops;
    DesktopSession expected;
};

class ReadsTheSession : public ::testing::TestWithParam<Environment> {};

TEST_P(ReadsTheSession, FromItsEnvironment)
{
    const Environment& environment = GetParam();
    EXPECT_EQ(SessionOf(environment.sessionType, environment.waylandDisplay, environment.currentDesktops),
              environment.expected);
}

const Environment environments[] = {
    {"GnomeWayland", "wayland", "wayland-0", "GNOME", {true, Desktop::Gnome}},
    {"UbuntuWayland", "wayland", "wayland-0", "ubuntu:GNOME", {true, Desktop::Gnome}},
    {"PlasmaWayland", "wayland", "wayland-0", "KDE", {true, Desktop::Kde}},
    {"GnomeOnX11", "x11", nullptr, "GNOME", {false, Desktop::Gnome}},
    // A terminal of an X11 session that carries a WAYLAND_DISPLAY from elsewhere.
    {"X11WithAStrayWaylandDisplay", "x11", "wayland-1", "KDE", {false, Desktop::Kde}},
    // Started from a console: the session says "tty", the compositor sets WAYLAND_DISPLAY.
    {"SwayFromAConsole", "tty", "wayland-1", "sway", {true, Desktop::Other}},
    {"NothingSaid", nullptr, nullptr, nullptr, {false, Desktop::Other}},
    {"EmptyWaylandDisplay", nullptr, "", "GNOME", {false, Desktop::Gnome}},
    // Only whole names in the list count.
    {"NameWithinAnother", "wayland", "wayland-0", "XGNOME:KDEX", {true, Desktop::Other}},
};
INSTANTIATE_TEST_SUITE_P(Sessions, ReadsTheSession, ::testing::ValuesIn(environments),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
