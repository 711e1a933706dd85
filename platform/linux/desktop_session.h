#pragma once
// Which desktop the program runs on, as the session's environment says.

enum class Desktop { Other, Gnome, Kde };

struct DesktopSession {
    bool wayland = false;
    Desktop desktop = Desktop::Other;
    bool operator==(const DesktopSession&) const = default;
};

// From XDG_SESSION_TYPE, WAYLAND_DISPLAY and XDG_CURRENT_DESKTOP (each may be null).
DesktopSession SessionOf(const char* sessionType, const char* waylandDisplay, const char* currentDesktops);
// The program's own session.
DesktopSession ThisSession();
