#pragma once
// The desktop's double-click settings on X11: Net/DoubleClickTime and Net/DoubleClickDistance,
// as its XSETTINGS manager publishes them (GNOME, KDE Plasma, XFCE, xsettingsd), followed
// while they change; Windows' defaults for what no manager publishes.

#include <X11/Xlib.h>

#include "double_click.h"

// The limits now, in the screen's pixels: read from the manager the first time they are
// asked for and after each change it announces.
DoubleClickLimits DesktopDoubleClickLimits();

// Takes an event that tells of a new manager or of new settings; false for any other event.
bool TakeDoubleClickSettingsEvent(const XEvent& event);
