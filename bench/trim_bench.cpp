// Cutting the window to the head's outline: the program's TrimForm, with the
// server taking the shape.

#include <benchmark/benchmark.h>

#include "cTrimmer.h"
#include "counting_hooks.h"
#include "head_form.h"

namespace {

// A new window for each iteration, made and taken down outside the timed part.
void TrimForm(benchmark::State& state)
{
    Display* display = Connected();
    if (!CountingWorks(display, state))
        return;
    {
        HeadForm first; // the first shaping on a connection also asks for the SHAPE extension
        cTrimmer().TrimForm(first);
    }
    Counts counted;
    unsigned long requests = 0;
    for (auto _ : state) {
        HeadForm form;
        form.hWnd();
        XSync(display, False);

        Counts before = CurrentCounts();
        unsigned long firstRequest = XNextRequest(display);
        auto start = BenchClock::now();
        cTrimmer().TrimForm(form);
        XSync(display, False);
        state.SetIterationTime(SecondsSince(start));
        requests += XNextRequest(display) - firstRequest;
        counted += CurrentCounts() - before;
    }
    state.counters["allocations"] = PerIteration(counted.allocations);
    state.counters["round_trips"] = PerIteration(counted.xReplies); // the sync at the end is one of them
    state.counters["requests"] = PerIteration(requests);
}

} // namespace

// A fixed number of windows: the untimed window making would otherwise decide how long it takes.
BENCHMARK(TrimForm)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
