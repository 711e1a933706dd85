// Cutting the window to the head's outline: the program's TrimForm, with the
// server taking the shape, and the first pixel read, which fetches the kept image.

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
        Counts during = CurrentCounts() - before;
        counted.allocations += during.allocations;
        counted.xReplies += during.xReplies;
    }
    auto perTrim = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["allocations"] = perTrim(counted.allocations);
    state.counters["round_trips"] = perTrim(counted.xReplies); // the sync at the end is one of them
    state.counters["requests"] = perTrim(requests);
}

// The first pixel read alone, which brings the kept image from the server.
void TrimImageFetch(benchmark::State& state)
{
    Connected();
    for (auto _ : state) {
        HeadForm form;
        form.hWnd();
        XSync(TheDisplay(), False);

        auto start = BenchClock::now();
        benchmark::DoNotOptimize(form.Point(0, 0));
        state.SetIterationTime(SecondsSince(start));
    }
}

} // namespace

// Those that make a window per iteration run a fixed number of times: the untimed
// window making would otherwise decide how long they take.
constexpr int windowsPerRun = 300;
BENCHMARK(TrimForm)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
BENCHMARK(TrimImageFetch)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
