// One tick of the eyes: the program's window shown, the pointer somewhere else
// on the screen each time, and what one tmr_Timer() costs.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "app_services.h"
#include "counting_hooks.h"
#include "event_loop.h"
#include "fLookout.h"
#include "head_form.h"

namespace {

constexpr int windowLeft = 400, windowTop = 200;
constexpr int warmUpTicks = 20;

// The program's window, shown, after a few ticks; it stays until the end.
fLookout& ShownHead()
{
    static fLookout* head = [] {
        Display* display = Connected();
        auto* form = new fLookout;
        form->Left(windowLeft * TheScreen::TwipsPerPixelX());
        form->Top(windowTop * TheScreen::TwipsPerPixelX());
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

// Points on a circle around the head, so that the pupils turn from tick to tick.
void MovePointer(Display* display, int step)
{
    double angle = step % 16 * std::numbers::pi / 8;
    int x = windowLeft + 92 + static_cast<int>(300 * std::cos(angle));
    int y = windowTop + 140 + static_cast<int>(300 * std::sin(angle));
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
}

void Tick(benchmark::State& state)
{
    fLookout& head = ShownHead();
    Display* display = TheDisplay();
    if (!CountingWorks(display, state))
        return;
    Counts counted;
    unsigned long requests = 0;
    int step = 0;
    for (auto _ : state) {
        MovePointer(display, step++);
        XSync(display, False);
        DoEvents(); // what the event loop would have done between two ticks

        auto start = BenchClock::now();
        Counts before = CurrentCounts();
        unsigned long firstRequest = XNextRequest(display);
        head.tmr_Timer();
        DoEvents(); // sends the tick's drawing, as the loop does before it goes idle
        requests += XNextRequest(display) - firstRequest;
        Counts during = CurrentCounts() - before;
        XSync(display, False); // until the server has drawn the eyes
        state.SetIterationTime(SecondsSince(start));

        counted.allocations += during.allocations;
        counted.newCalls += during.newCalls;
        counted.inXReply += during.inXReply;
        counted.xReplies += during.xReplies;
    }
    auto perTick = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["allocations"] = perTick(counted.allocations);
    state.counters["new_calls"] = perTick(counted.newCalls);
    state.counters["in_x_reply"] = perTick(counted.inXReply);
    state.counters["round_trips"] = perTick(counted.xReplies);
    state.counters["requests"] = perTick(requests);
}

} // namespace

BENCHMARK(Tick)->UseManualTime()->Unit(benchmark::kMicrosecond);

