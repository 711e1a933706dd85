// The program's start: one copy only, the stored position, the window shown.

#include "AppModul.h"

#include "Commands.h"
#include "Val.h"
#include "app_services.h"
#include "checked_int.h"
#include "fLookout.h"

namespace AppModul {

namespace {

fLookout& Required(fLookout* form)
{
    if (!form)
        throw RuntimeError("the lookout window is not loaded");
    return *form;
}

} // namespace

void Main()
{
    using namespace Commands;
    ResumeNext([] {
        if (App::PrevInstance())
            End();
    });
    ResumeNext(InitPaths);
    ResumeNext(InitIniFile);
    std::wstring topText, leftText;
    ResumeNext([&] { topText = ReadIni(IniSection, L"Top", IniFile, L""); });
    ResumeNext([&] { leftText = ReadIni(IniSection, L"Left", IniFile, L""); });

    fLookout* form = nullptr;
    ResumeNext([&] { form = &fLookout::DefaultInstance(); });
    if (topText.empty() && leftText.empty()) {
        // At the top of the screen, below a panel there.
        float top = 0;
        ResumeNext([&] { top = TheScreen::WorkAreaTop(); });
        // The first setting creates the window, which loads before the value is applied.
        ResumeNext([&] { Required(form).Top(top); });
        ResumeNext([&] {
            LONG halfScreen = RoundToLong(TheScreen::Width()) / 2;
            LONG halfWindow = RoundToLong(Required(form).Width()) / 2;
            form->Left(static_cast<float>(CheckedSub(halfScreen, halfWindow)));
        });
    } else {
        ResumeNext([&] { Required(form).Top(ToSingle(Val(topText))); });
        ResumeNext([&] { Required(form).Left(ToSingle(Val(leftText))); });
    }
    ResumeNext([&] { Required(form).Show(); });
}

} // namespace AppModul

