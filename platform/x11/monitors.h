#pragma once
// The primary monitor: the program's "screen", whose top-left corner is its origin.

struct MonitorArea {
    int x = 0; // on the root window
    int y = 0;
    int width = 0;
    int height = 0;
};

// The primary monitor from RandR; without one the first monitor, without any the
// whole screen. Asked once: positions and the pointer are counted from it on every tick.
const MonitorArea& PrimaryMonitor();
