#pragma once
// The program's one window: a head whose pupils follow the mouse cursor.

#include <memory>

#include "cTrimmer.h"
#include "form.h"
#include "winapi.h"

class fLookout : public Form {
public:
    fLookout();

    // The window as designed: its picture, icon, scale mode and drawing style.
    static FormDesign Design();

    // The form's one instance, created on first use; it lives until the program ends.
    static fLookout& DefaultInstance();

    void Form_Load() override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Form_DblClick() override;
    void tmr_Timer();

private:
    cTrimmer& TrimmerInUse();

    std::unique_ptr<cTrimmer> Trimmer;
    POINT CursorPos{};
    RECT WinRect{};
    LONG LeftEyeX = 0;
    LONG LeftEyeY = 0;
    LONG RightEyeX = 0;
    LONG RightEyeY = 0;
    double DistLeft = 0;
    double DistRight = 0;
    double SinLeft = 0;
    double CosLeft = 0;
    double SinRight = 0;
    double CosRight = 0;

    Timer tmr;
};
