// Bringing back a head that a change of the monitors has left off every one.

#include "monitor_changes.h"

#include <algorithm>

#include "x11_form.h"

bool OnAnyMonitor(const NativeForm& native, const std::vector<MonitorArea>& monitors)
{
    for (const MonitorArea& monitor : monitors) {
        bool meets = native.shape ? XRectInRegion(native.shape, monitor.x - native.left, monitor.y - native.top,
                                                  monitor.width, monitor.height) != RectangleOut // in the window's pixels
                                  : MeetsWindow(native, monitor.x, monitor.y, monitor.width, monitor.height);
        if (meets)
            return true;
    }
    return false;
}

void FollowMonitorChange(NativeForm& native, const MonitorLayout& before)
{
    const MonitorLayout& now = CurrentMonitors();
    // A head that was already off every monitor (a place stored so) is where the user put it;
    // and with no monitor on at all there is nowhere better to go.
    if (now.monitors.empty() || !OnAnyMonitor(native, before.monitors) || OnAnyMonitor(native, now.monitors))
        return;
    const MonitorArea& primary = now.primary;
    // The nearest place wholly on the monitor; a head larger than it keeps its top-left corner on it.
    int left = std::max(primary.x, std::min(native.left, primary.x + primary.width - native.width));
    int top = std::max(primary.y, std::min(native.top, primary.y + primary.height - native.height));
    MoveFormWindow(native, left, top);
}
