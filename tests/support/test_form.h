#pragma once
// A form of the tests' own, with any picture, on the tests' virtual screen.

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "display.h"
#include "event_loop.h"
#include "form.h"
#include "virtual_screen.h"

inline Picture MakePicture(int width, int height, COLORREF color)
{
    return Picture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, color)};
}

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

// Lets the program handle its events for a while.
inline void PumpEvents(std::chrono::milliseconds duration)
{
    auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        XSync(TheDisplay(), False);
        DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
