#pragma once
// The program's forms on the tests' virtual screen.

#include <X11/Xlib.h>

#include <cstdint>

#include "display.h"
#include "event_loop.h"
#include "form.h"
#include "virtual_screen.h"

inline Window WindowOf(Form& form) { return static_cast<Window>(reinterpret_cast<std::uintptr_t>(form.hWnd())); }

// Connects the program's platform layer to the shared virtual screen.
inline void ConnectToTestScreen()
{
    SharedScreen();
    OpenDisplay();
}
