#pragma once
// A copy of the top-level windows (the root's children) in their stacking order, with
// where they are and whether they are shown, kept up to date from the root's
// SubstructureNotify events: knowing what lies above the head costs no request.

#include <X11/Xlib.h>

#include <vector>

struct TopLevel {
    Window window;
    int x, y, width, height; // the outer edges, border included
    bool mapped;
    bool overrideRedirect;
};

// Asks for the root's notifications, then reads the windows once.
void WatchTopLevels(Display* display);
// Takes one of the root's notifications into the copy; false for any other event.
bool TakeTopLevelEvent(const XEvent& event);
// Bottom of the stack first.
const std::vector<TopLevel>& TopLevels();
