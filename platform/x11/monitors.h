#pragma once
// The monitors as RandR lists them, followed while the program runs. The primary one is
// the program's "screen", and its top-left corner the origin of every position.

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <vector>

struct MonitorArea {
    int x = 0; // on the root window
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const MonitorArea&) const = default;
};

struct MonitorLayout {
    std::vector<MonitorArea> monitors; // none where RandR lists none
    MonitorArea primary;               // RandR's primary; else the first monitor; else the whole screen
    bool operator==(const MonitorLayout&) const = default;
};

// The layout as last read: at first use, and again once RandR's reports of a change have settled.
const MonitorLayout& CurrentMonitors();
inline const MonitorArea& PrimaryMonitor() { return CurrentMonitors().primary; }

// Takes one of RandR's events (screen, output or CRTC changed); false for any other event.
bool TakeMonitorEvent(XEvent& event);

// When the layout is to be read again, while a reported change waits to settle.
std::optional<std::chrono::steady_clock::time_point> MonitorsDueAt();

// Reads the layout anew and returns the one before it.
MonitorLayout RereadMonitors();
