#pragma once
// The program's forms on the tests' virtual screen.

#include <X11/Xlib.h>

#include "display.h"
#include "event_loop.h"
#include "form.h"
#include "virtual_screen.h"

// Connects the program's platform layer to the shared virtual screen.
inline void ConnectToTestScreen()
{
    SharedScreen();
    OpenDisplay();
}
