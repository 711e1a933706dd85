// The program's start on Linux: connect to the X server, run Main, then the events.

#include <exception>
#include <string>

#include "AppModul.h"
#include "die.h"
#include "display.h"
#include "event_loop.h"
#include "runtime_error.h"
#include "x11_form.h"

int main()
{
    try {
        OpenDisplay();
    } catch (const std::exception& error) {
        Die(error.what());
    }
    AppModul::Main();
    // Without a window nothing could ever end the program, and it would keep others from starting.
    if (!TheForm())
        Die(NoWindowMessage());
    RunMessageLoop();
}
