#pragma once
// What a change of the monitors does to the head: as on Windows, a window that the change
// leaves on no monitor at all comes onto the primary one; any other stays where it is.

#include "monitors.h"

struct NativeForm;

// Whether any pixel of the window's shape lies on one of the monitors.
bool OnAnyMonitor(const NativeForm& native, const std::vector<MonitorArea>& monitors);

// After the layout changed from before to the current one: a window that was on a monitor
// and is on none now moves wholly onto the primary monitor, at the point nearest to it.
void FollowMonitorChange(NativeForm& native, const MonitorLayout& before);
