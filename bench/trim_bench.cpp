// Cutting the window to the head's outline: the whole of TrimForm with the
// server taking the shape, and its three steps one by one.

#include <benchmark/benchmark.h>

#include <vector>

#include "cTrimmer.h"
#include "checked_int.h"
#include "counting_hooks.h"
#include "head_form.h"

namespace {

struct Run {
    LONG left;
    LONG y;
    LONG right; // one past the last pixel
};

// The pixel reads TrimForm makes, in its order, calling addRun for each run of
// pixels that differ from the top-left one.
template <class AddRun>
void ReadRuns(Form& form, AddRun&& addRun)
{
    form.AutoRedraw(true);
    form.ScaleMode(vbPixels);
    COLORREF key = form.Point(0, 0);
    LONG runStart = -1;
    LONG lastRow = RoundToLong(form.ScaleHeight() - 1);
    for (LONG y = 0; y <= lastRow; ++y) {
        LONG lastCol = RoundToLong(form.ScaleWidth() - 1);
        for (LONG x = 0; x <= lastCol; ++x) {
            COLORREF c = form.Point(static_cast<float>(x), static_cast<float>(y));
            if (c == key && runStart >= 0) {
                addRun(Run{runStart, y, x});
                runStart = -1;
            } else if (c != key && runStart == -1) {
                runStart = x;
            }
        }
        if (runStart >= 0) {
            addRun(Run{runStart, y, lastCol + 1});
            runStart = -1;
        }
    }
}

const std::vector<Run>& HeadRuns()
{
    static const std::vector<Run> runs = [] {
        HeadForm form;
        std::vector<Run> found;
        ReadRuns(form, [&](Run run) { found.push_back(run); });
        return found;
    }();
    return runs;
}

// The regions TrimForm builds: one rectangle per run, added to the shape one by one.
HRGN BuildRegion(const std::vector<Run>& runs)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const Run& run : runs) {
        HRGN runRegion = CreateRectRgn(run.left, run.y, run.right, run.y + 1);
        CombineRgn(region, region, runRegion, RGN_OR);
        DeleteObject(runRegion);
    }
    return region;
}

// A new window for each iteration, made and taken down outside the timed part.
void TrimForm(benchmark::State& state)
{
    Display* display = Connected();
    if (!CountingWorks(display)) {
        state.SkipWithError("the counting hooks are not in effect");
        return;
    }
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

// Step 1: the 51,520 pixel reads, of which the first fetches the kept image.
void TrimPixelReads(benchmark::State& state)
{
    Connected();
    double runs = 0;
    for (auto _ : state) {
        HeadForm form;
        form.hWnd();
        XSync(TheDisplay(), False);

        auto start = BenchClock::now();
        ReadRuns(form, [&](Run) { ++runs; });
        state.SetIterationTime(SecondsSince(start));
    }
    state.counters["runs"] = benchmark::Counter(runs, benchmark::Counter::kAvgIterations);
}

// Part of step 1: the first read alone, which brings the kept image from the server.
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

// Step 2: the region of all runs, built as TrimForm builds it.
void TrimRegionBuilding(benchmark::State& state)
{
    Connected();
    const std::vector<Run>& runs = HeadRuns();
    Counts counted;
    for (auto _ : state) {
        Counts before = CurrentCounts();
        auto start = BenchClock::now();
        HRGN region = BuildRegion(runs);
        state.SetIterationTime(SecondsSince(start));
        counted.allocations += (CurrentCounts() - before).allocations;
        DeleteObject(region);
    }
    state.counters["runs"] = static_cast<double>(runs.size());
    state.counters["allocations"] = benchmark::Counter(counted.allocations, benchmark::Counter::kAvgIterations);
}

// Step 3: handing the region to the window, until the server has taken it.
void TrimSetWindowRgn(benchmark::State& state)
{
    Display* display = Connected();
    const std::vector<Run>& runs = HeadRuns();
    for (auto _ : state) {
        HeadForm form;
        form.hWnd();
        HRGN region = BuildRegion(runs);
        XSync(display, False);

        auto start = BenchClock::now();
        SetWindowRgn(form.hWnd(), region, TRUE);
        XSync(display, False);
        state.SetIterationTime(SecondsSince(start));
    }
}

} // namespace

// Those that make a window per iteration run a fixed number of times: the untimed
// window making would otherwise decide how long they take.
constexpr int windowsPerRun = 300;
BENCHMARK(TrimForm)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
BENCHMARK(TrimPixelReads)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
BENCHMARK(TrimImageFetch)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
BENCHMARK(TrimRegionBuilding)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(TrimSetWindowRgn)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(windowsPerRun);
