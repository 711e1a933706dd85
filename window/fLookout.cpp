// The window's handlers: loading, dragging, storing its place, and the eyes.

#include "fLookout.h"

#include <chrono>
#include <cmath>

#include "Commands.h"
#include "Val.h"
#include "app_services.h"
#include "checked_int.h"
#include "eye_geometry.h"
#include "resource_ids.h"
#include "resources.h"

namespace {

constexpr std::chrono::milliseconds tickInterval{70};


} // namespace

FormDesign fLookout::Design()
{
    FormDesign design;
    design.caption = L"Form1";
    design.className = L"Lookout";
    design.picture = LoadResPicture(IDB_LOOKOUT);
    design.clientWidth = design.picture->width;
    design.clientHeight = design.picture->height;
    design.icon = LoadResIcon(IDI_LOOKOUT, design.iconTransparent);
    design.scaleMode = vbPixels;
    design.fillStyle = vbFSSolid;
    return design;
}

namespace {

// The distance between a point and the cursor; the differences are checked 32-bit subtractions.
double Distance(LONG x, LONG y, POINT cursor)
{
    auto dx = static_cast<double>(CheckedSub(x, cursor.x));
    auto dy = static_cast<double>(CheckedSub(y, cursor.y));
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

fLookout::fLookout() : Form(Design()), tmr(*this, tickInterval, [this] { tmr_Timer(); }) {}

fLookout& fLookout::DefaultInstance()
{
    static fLookout* instance = new fLookout; // never destroyed: the program ends with it
    return *instance;
}

cTrimmer& fLookout::TrimmerInUse()
{
    if (!Trimmer)
        Trimmer = std::make_unique<cTrimmer>();
    return *Trimmer;
}

void fLookout::Form_Load()
{
    ResumeNext([&] { TrimmerInUse().TrimForm(*this); });
    ResumeNext([&] { SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE); });
}

void fLookout::Form_MouseDown(int Button, int /*Shift*/, float /*X*/, float /*Y*/)
{
    if (Button == vbLeftButton)
        TrimmerInUse().GrabForm(*this);
}

void fLookout::Form_DblClick()
{
    using namespace Commands;
    ResumeNext([&] { WriteIni(IniSection, L"Top", NumberText(Top()), IniFile); });
    ResumeNext([&] { WriteIni(IniSection, L"Left", NumberText(Left()), IniFile); });
    End();
}

void fLookout::tmr_Timer()
{
    ResumeNext([&] { GetWindowRect(hWnd(), &WinRect); });
    ResumeNext([&] { LeftEyeX = CheckedAdd(WinRect.left, leftEyeX); });
    ResumeNext([&] { LeftEyeY = CheckedAdd(WinRect.top, eyeY); });
    ResumeNext([&] { RightEyeX = CheckedAdd(WinRect.left, rightEyeX); });
    ResumeNext([&] { RightEyeY = CheckedAdd(WinRect.top, eyeY); });
    ResumeNext([&] { GetCursorPos(&CursorPos); });
    ResumeNext([&] { DistLeft = Distance(LeftEyeX, LeftEyeY, CursorPos); });
    ResumeNext([&] { DistRight = Distance(RightEyeX, RightEyeY, CursorPos); });
    // A cursor on an eye's centre leaves that pupil centred.
    if (DistLeft == 0)
        DistLeft = 1;
    if (DistRight == 0)
        DistRight = 1;
    ResumeNext([&] { SinLeft = CheckedSub(LeftEyeY, CursorPos.y) / DistLeft; });
    ResumeNext([&] { CosLeft = CheckedSub(LeftEyeX, CursorPos.x) / DistLeft; });
    ResumeNext([&] { SinRight = CheckedSub(RightEyeY, CursorPos.y) / DistRight; });
    ResumeNext([&] { CosRight = CheckedSub(RightEyeX, CursorPos.x) / DistRight; });

    ResumeNext([&] { FillColor(eyeColor); });
    ResumeNext([&] { Circle(leftEyeX, eyeY, eyeRadius, eyeColor); });
    ResumeNext([&] { Circle(rightEyeX, eyeY, eyeRadius, eyeColor); });
    ResumeNext([&] { FillColor(pupilColor); });
    ResumeNext([&] {
        Circle(static_cast<float>(leftEyeX - pupilOffset * CosLeft), static_cast<float>(eyeY - pupilOffset * SinLeft),
               pupilRadius, pupilColor);
    });
    ResumeNext([&] {
        Circle(static_cast<float>(rightEyeX - pupilOffset * CosRight),
               static_cast<float>(eyeY - pupilOffset * SinRight), pupilRadius, pupilColor);
    });
}
