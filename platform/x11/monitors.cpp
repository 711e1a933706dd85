// The monitors as RandR 1.5 lists them.

#include "monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "display.h"

namespace {

MonitorArea FindPrimaryMonitor(Display* display)
{
    int screen = DefaultScreen(display);
    MonitorArea area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    int eventBase, errorBase, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        major * 100 + minor < 105)
        return area; // no monitors before RandR 1.5
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    if (!monitors)
        return area;
    int chosen = -1;
    for (int i = 0; i < count && chosen < 0; ++i)
        if (monitors[i].primary)
            chosen = i;
    if (chosen < 0 && count > 0)
        chosen = 0;
    if (chosen >= 0 && monitors[chosen].width > 0 && monitors[chosen].height > 0)
        area = {monitors[chosen].x, monitors[chosen].y, monitors[chosen].width, monitors[chosen].height};
    XRRFreeMonitors(monitors);
    return area;
}

} // namespace

const MonitorArea& PrimaryMonitor()
{
    static const MonitorArea primary = FindPrimaryMonitor(TheDisplay());
    return primary;
}
