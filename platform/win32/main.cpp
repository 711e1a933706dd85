// The program's start on Windows: Main, then the messages until the program ends.

#include "AppModul.h"
#include "run_handler.h"
#include "runtime_error.h"
#include "win32_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    AppModul::Main();
    // Without a window nothing could ever end the program, and it would keep others from starting.
    if (!AnyFormLoaded())
        FailInHandler(NoWindowMessage());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
