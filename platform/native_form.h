#pragma once
// The native half of a form, which each platform supplies: a window of the
// design's size holding its picture in a kept image. Coordinates are the program's
// pixels; where the platform scales them to the screen's DPI, it does so behind these calls.

#include <memory>

#include "form.h"

// Creates the hidden window; its timers start counting.
NativeFormPtr CreateNativeForm(Form& form, const FormDesign& design);

HWND NativeHandle(NativeForm& native);
// Every drawing goes into the kept image, which the window shows, and every read comes from it.
COLORREF NativePixel(NativeForm& native, int x, int y);
// A circle outlined in one colour and filled with another, drawn into the kept image and
// shown. Centre and radius are not yet rounded: each platform rounds them once, to its own pixels.
void NativeCircle(NativeForm& native, double x, double y, double radius, COLORREF outline, COLORREF fill);
// The window's top-left corner, counted from the primary monitor's top-left corner
// in the screen's own pixels, and moving it there; NativeTwipsPerPixel tells the twips
// in one such pixel, so that Top and Left keep their meaning in inches at every DPI.
POINT NativePosition(NativeForm& native);
void NativeMove(NativeForm& native, int left, int top);
double NativeTwipsPerPixel();
void NativeShow(NativeForm& native);
