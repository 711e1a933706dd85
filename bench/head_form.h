#pragma once
// What the benchmarks share: the connection, the head picture on a form of
// their own, and the clock they time with.

#include <X11/Xlib.h>

#include <chrono>

#include <cstdlib>

#include "counting_hooks.h"
#include "display.h"
#include "event_loop.h"
#include "fLookout.h"
#include "native_form.h"

// The program's connection to the server named by DISPLAY.
inline Display* Connected()
{
    OpenDisplay();
    return TheDisplay();
}

// A form designed as the program's window, without its handlers, so that
// creating the window does not trim it already. The platform holds one window at a
// time: the shaping benchmark makes these before any benchmark shows the program's own.
class HeadForm : public Form {
public:
    HeadForm() : Form(fLookout::Design()) {}
};

using BenchClock = std::chrono::steady_clock;

inline double SecondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

constexpr int shownHeadLeft = 400, shownHeadTop = 200;

// The program's window, shaped, topmost and shown, after a few ticks; it stays until the end.
inline fLookout& ShownHead()
{
    static fLookout* head = [] {
        constexpr int warmUpTicks = 20;
        Display* display = Connected();
        auto* form = new fLookout;
        form->Left(static_cast<float>(shownHeadLeft * NativeTwipsPerPixel()));
        form->Top(static_cast<float>(shownHeadTop * NativeTwipsPerPixel()));
        form->Show();
        XSync(display, False);
        DoEvents();
        for (int i = 0; i < warmUpTicks; ++i)
            form->tmr_Timer();
        XSync(display, False);
        // LOOKOUT_BENCH_TRACE=1 shows where a warm tick allocates and waits for the server.
        if (std::getenv("LOOKOUT_BENCH_TRACE")) {
            TraceCounts(true);
            form->tmr_Timer();
            TraceCounts(false);
        }
        return form;
    }();
    return *head;
}
