// The program's start on Windows: Main, then the messages until the program ends.

#include "AppModul.h"
#include "win32_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    AppModul::Main();
    // Like a program whose last form is gone, one that never got a window ends here.
    if (!AnyFormLoaded())
        return 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
