#pragma once
// What the benchmarks share: the connection, the head picture on a form of
// their own, and the clock they time with.

#include <X11/Xlib.h>

#include <chrono>

#include "display.h"
#include "fLookout.h"

// The program's connection to the server named by DISPLAY.
inline Display* Connected()
{
    OpenDisplay();
    return TheDisplay();
}

// A form designed as the program's window, without its handlers, so that
// creating the window does not trim it already.
class HeadForm : public Form {
public:
    HeadForm() : Form(fLookout::Design()) {}
};

using BenchClock = std::chrono::steady_clock;

inline double SecondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}
