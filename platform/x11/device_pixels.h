#pragma once
// The program counts in logical pixels of 1/96 inch; the screen has Xft.dpi pixels
// of its own an inch. Every coordinate that crosses between the two goes through here,
// by the rules that both systems share (dpi_scale.h).

#include "dpi_scale.h"

// Device pixels per logical pixel: Xft.dpi / 96, read once at start.
double DeviceScale();

// The device edge of a logical edge, round(x * scale). Sizes, places and rectangles
// all use it, so a rectangle of logical pixels covers exactly the device pixels showing them.
int ToDevice(int logical);

// The logical pixel that a device pixel shows: the largest x with ToDevice(x) <= device.
int ToLogical(int device);

// The logical edge nearest a device edge, for a window's place: a place between two
// logical edges is stored half a logical pixel off at most.
int ToLogicalEdge(int device);
