#pragma once
// The native half of a form, which each platform supplies: a window of the
// design's size holding its picture in a kept image. Coordinates are the program's
// pixels; where the platform scales them to the screen's DPI, it does so behind these calls.

#include <memory>

#include "form.h"

// Creates the hidden window; its timers start counting.
NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design);

HWND NativeHandle(NativeForm& native);
// The pixel's colour, from the kept image or, with keptImage off, from the window.
COLORREF NativePixel(NativeForm& native, int x, int y, bool keptImage);
// A circle outlined in one colour and, unless fill is empty, filled with another;
// drawn into the kept image and shown, or, with keptImage off, onto the window only.
// Centre and radius are not yet rounded: each platform rounds them once, to its own pixels.
void NativeCircle(NativeForm& native, double x, double y, double radius, COLORREF outline,
                  std::optional<COLORREF> fill, bool keptImage);
// The nearest whole pixel of a coordinate in twips or pixels (halfway goes to even);
// raises where the value can name no pixel.
int ToPixels(double value, double unitsPerPixel);
// The window's top-left corner, counted from the primary monitor's top-left corner
// in the screen's own pixels, and moving it there; NativeTwipsPerPixel tells the twips
// in one such pixel, so that Top and Left keep their meaning in inches at every DPI.
POINT NativePosition(NativeForm& native);
void NativeMove(NativeForm& native, int left, int top);
double NativeTwipsPerPixel();
void NativeShow(NativeForm& native);
