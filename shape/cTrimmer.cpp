// Shaping a window to its picture, one run of opaque pixels at a time, and
// dragging it as if by its title bar.

#include "cTrimmer.h"

#include "checked_int.h"

void cTrimmer::GrabForm(Form& frm)
{
    // Let go of the capture that the button press gave the window, then let
    // the system move it as it would by the title bar.
    ReleaseCapture();
    SendMessageA(frm.hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void cTrimmer::TrimForm(Form& frm)
{
    if (frm.PictureHandle() == 0)
        return;
    int oldScaleMode = frm.ScaleMode();
    bool oldAutoRedraw = frm.AutoRedraw();
    // Read the colours from the window's own image of its picture, in pixels.
    frm.AutoRedraw(true);
    frm.ScaleMode(vbPixels);

    COLORREF key = frm.Point(0, 0);
    Region = CreateRectRgn(0, 0, 0, 0);
    LONG runStart = -1;
    LONG lastRow = RoundToLong(frm.ScaleHeight() - 1);
    for (LONG y = 0; y <= lastRow; ++y) {
        LONG lastCol = RoundToLong(frm.ScaleWidth() - 1);
        for (LONG x = 0; x <= lastCol; ++x) {
            COLORREF c = frm.Point(static_cast<float>(x), static_cast<float>(y));
            if (c == key) {
                if (runStart >= 0)
                    AddRun(runStart, y, x, CheckedAdd(y, 1));
            } else if (runStart == -1) {
                runStart = x;
            }
        }
        if (runStart >= 0)
            AddRun(runStart, y, CheckedAdd(lastCol, 1), CheckedAdd(y, 1));
    }
    // The window owns the region from here on.
    SetWindowRgn(frm.hWnd(), Region, TRUE);

    frm.ScaleMode(oldScaleMode);
    frm.AutoRedraw(oldAutoRedraw);
}

void cTrimmer::AddRun(LONG& runStart, LONG y, LONG x, LONG yNext)
{
    RunRegion = CreateRectRgn(runStart, y, x, yNext);
    CombineRgn(Region, Region, RunRegion, RGN_OR);
    DeleteObject(RunRegion);
    runStart = -1;
}
