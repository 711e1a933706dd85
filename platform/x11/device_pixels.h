#pragma once
// The program counts in logical pixels of 1/96 inch; the X screen has Xft.dpi pixels of
// its own an inch. Every coordinate that crosses between the two goes through this scale,
// by the rules that both systems share (dpi_scale.h).

#include "dpi_scale.h"

// Device pixels per logical pixel: Xft.dpi / 96, read once at start.
const PixelScale& ScreenScale();
