// The monitors as RandR 1.5 lists them, read again whenever RandR reports a change.

#include "monitors.h"

#include <X11/extensions/Xrandr.h>

#include "display.h"

namespace {

using Clock = std::chrono::steady_clock;

// A change arrives as a burst of events (a CRTC switched off, the screen resized, the CRTC
// on again); the layout is read once the burst is over, not in one of its passing states.
constexpr auto settleTime = std::chrono::milliseconds(250);

struct {
    bool watching = false;
    int eventBase = -1; // RandR's first event; -1 without RandR
    int version = 0;    // major * 100 + minor
    std::optional<Clock::time_point> dueAt;
} randr;

void Watch(Display* display)
{
    randr.watching = true;
    int errorBase, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &randr.eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor)) {
        randr.eventBase = -1;
        return;
    }
    randr.version = major * 100 + minor;
    int mask = RRScreenChangeNotifyMask;
    if (randr.version >= 102) // outputs and CRTCs came with 1.2
        mask |= RROutputChangeNotifyMask | RRCrtcChangeNotifyMask;
    XRRSelectInput(display, DefaultRootWindow(display), mask);
}

MonitorLayout ReadLayout(Display* display)
{
    if (!randr.watching)
        Watch(display); // before the read, so that no change after it goes unreported
    int screen = DefaultScreen(display);
    MonitorLayout layout;
    layout.primary = {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    if (randr.eventBase < 0 || randr.version < 105) {
        layout.monitors = {layout.primary}; // before RandR 1.5, the screen is the one monitor
        return layout;
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    if (!monitors)
        return layout;
    const XRRMonitorInfo* primary = nullptr;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& monitor = monitors[i];
        if (monitor.width <= 0 || monitor.height <= 0)
            continue;
        layout.monitors.push_back({monitor.x, monitor.y, monitor.width, monitor.height});
        if (!primary || (monitor.primary && !primary->primary))
            primary = &monitor;
    }
    if (primary)
        layout.primary = {primary->x, primary->y, primary->width, primary->height};
    XRRFreeMonitors(monitors);
    return layout;
}

MonitorLayout& Layout()
{
    static MonitorLayout layout = ReadLayout(TheDisplay());
    return layout;
}

} // namespace

const MonitorLayout& CurrentMonitors() { return Layout(); }

bool TakeMonitorEvent(XEvent& event)
{
    if (randr.eventBase < 0 ||
        (event.type != randr.eventBase + RRScreenChangeNotify && event.type != randr.eventBase + RRNotify))
        return false;
    XRRUpdateConfiguration(&event); // Xlib's own idea of the screen's size
    randr.dueAt = Clock::now() + settleTime;
    return true;
}

std::optional<Clock::time_point> MonitorsDueAt() { return randr.dueAt; }

MonitorLayout RereadMonitors()
{
    randr.dueAt.reset();
    MonitorLayout before = Layout();
    Layout() = ReadLayout(TheDisplay());
    return before;
}
