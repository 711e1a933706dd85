// One tick of the eyes: the program's window shown, the pointer still or moved by
// another client as a mouse moves it (XTest), and what one tmr_Timer() costs.

#include <benchmark/benchmark.h>

#include <X11/extensions/XTest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "counting_hooks.h"
#include "event_loop.h"
#include "fLookout.h"
#include "head_form.h"

namespace {

// Points on a circle around the head, so that the pupils turn from tick to tick.
void MovePointer(Display* mouse, int step)
{
    double angle = step % 16 * std::numbers::pi / 8;
    int x = shownHeadLeft + 92 + static_cast<int>(300 * std::cos(angle));
    int y = shownHeadTop + 140 + static_cast<int>(300 * std::sin(angle));
    XTestFakeMotionEvent(mouse, DefaultScreen(mouse), x, y, CurrentTime);
    XSync(mouse, False);
}

void Tick(benchmark::State& state, bool moving)
{
    fLookout& head = ShownHead();
    Display* display = TheDisplay();
    if (!CountingWorks(display, state))
        return;
    Display* mouse = XOpenDisplay(nullptr);
    Counts counted;
    unsigned long requests = 0;
    int step = 0;
    for (auto _ : state) {
        if (moving)
            MovePointer(mouse, step++);
        XSync(display, False);
        DoEvents(); // what the event loop would have done between two ticks

        auto start = BenchClock::now();
        Counts before = CurrentCounts();
        unsigned long firstRequest = XNextRequest(display);
        head.tmr_Timer();
        DoEvents(); // sends the tick's drawing, as the loop does before it goes idle
        requests += XNextRequest(display) - firstRequest;
        counted += CurrentCounts() - before;
        XSync(display, False); // until the server has drawn the eyes
        state.SetIterationTime(SecondsSince(start));
    }
    XCloseDisplay(mouse);
    state.counters["allocations"] = PerIteration(counted.allocations);
    state.counters["new_calls"] = PerIteration(counted.newCalls);
    state.counters["in_x_reply"] = PerIteration(counted.inXReply);
    state.counters["round_trips"] = PerIteration(counted.xReplies);
    state.counters["requests"] = PerIteration(requests);
}

} // namespace

BENCHMARK_CAPTURE(Tick, still, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Tick, moving, true)->UseManualTime()->Unit(benchmark::kMicrosecond);

