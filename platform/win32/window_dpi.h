#pragma once
// The DPIs the Windows program counts at. Per-monitor aware (the manifest), it is never
// stretched by the system: its window has the DPI of the monitor it is on and scales itself.

#include "dpi_scale.h"
#include "winapi.h"

// The system's DPI, the primary monitor's at sign-in: Top, Left and the screen width count
// its pixels, as every monitor's pixels are counted in one space on the virtual screen.
int SystemDpi();

// The DPI of the monitor a window is on: the window's own where the system tells (Windows 10
// 1607 and later), else its monitor's (Windows 8.1 and later); Windows 7 and 8 scale every
// window to the system's DPI.
int WindowDpi(HWND window);
// The monitor's DPI as Windows 8.1 and later tell it; 0 on earlier systems.
int MonitorDpi(HWND window);

// Device pixels per logical pixel at a DPI; raises for a DPI that no screen has.
PixelScale ScaleOfDpi(int dpi);
