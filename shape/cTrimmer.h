#pragma once
// Gives a borderless window the outline of its picture, and lets the user move
// it by pressing the left button anywhere on it.

#include "form.h"
#include "winapi.h"

class cTrimmer {
public:
    // Moves the window with the mouse until the button is released.
    void GrabForm(Form& frm);
    // Cuts the window to the pixels of its picture that differ from the colour
    // of its top-left pixel.
    void TrimForm(Form& frm);

private:
    void AddRun(LONG& runStart, LONG y, LONG x, LONG yNext);

    HRGN Region = nullptr;    // the shape being built: the union of all runs
    HRGN RunRegion = nullptr; // the rectangle of the run being added
};
