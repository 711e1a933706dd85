#pragma once
// A form of the tests' own, with any picture, on the tests' virtual screen.

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>

#include "display.h"
#include "event_loop.h"
#include "form.h"
#include "virtual_screen.h"

// In twips and without a kept image, as a form starts out.
inline FormDesign TestDesign(std::optional<Picture> picture, int width = 0, int height = 0)
{
    FormDesign design;
    design.caption = L"Test";
    design.className = L"LookoutTest";
    design.clientWidth = picture ? picture->width : width;
    design.clientHeight = picture ? picture->height : height;
    design.picture = std::move(picture);
    return design;
}

inline Window WindowOf(Form& form) { return static_cast<Window>(reinterpret_cast<std::uintptr_t>(form.hWnd())); }

// Connects the program's platform layer to the shared virtual screen.
inline void ConnectToTestScreen()
{
    SharedScreen();
    OpenDisplay();
}

// Lets the program handle what the server has sent it so far.
inline void HandleEvents()
{
    XSync(TheDisplay(), False);
    DoEvents();
}
