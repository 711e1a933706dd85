// What keeping above costs: an ordinary window raised over the shown head, the head
// stepping above it again, and the round trips that takes.

#include <benchmark/benchmark.h>

#include "counting_hooks.h"
#include "event_loop.h"
#include "head_form.h"

namespace {

void CoverRaised(benchmark::State& state)
{
    Display* display = Connected();
    if (!CountingWorks(display, state))
        return;
    ShownHead();
    // Another client's window over it, a new one each iteration: one raised again and
    // again within a second is a rival the head gives way to.
    Display* other = XOpenDisplay(nullptr);
    Counts counted;
    for (auto _ : state) {
        Window cover = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 600, 600, 0, 0, 0);
        XMapRaised(other, cover);
        XSync(other, False);
        XSync(display, False);
        auto start = BenchClock::now();
        Counts before = CurrentCounts();
        DoEvents(); // the head steps above the cover
        Counts stepped = CurrentCounts() - before;
        XSync(display, False);
        before = CurrentCounts();
        DoEvents(); // and sees its own step
        Counts settled = CurrentCounts() - before;
        state.SetIterationTime(SecondsSince(start));
        counted.xReplies += stepped.xReplies + settled.xReplies;
        XDestroyWindow(other, cover);
        XSync(other, False);
    }
    state.counters["round_trips"] = PerIteration(static_cast<double>(counted.xReplies));
    XCloseDisplay(other);
}

} // namespace

BENCHMARK(CoverRaised)->UseManualTime()->Unit(benchmark::kMicrosecond);
