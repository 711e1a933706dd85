#pragma once
// What this benchmark program counts while it runs: heap allocations and the
// replies it waits for from the X server. The hooks live in counting_hooks.cpp.

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <cstdint>

struct Counts {
    std::uint64_t allocations = 0; // malloc, calloc, realloc, aligned allocations, operator new
    std::uint64_t newCalls = 0;    // the part of allocations made through operator new
    std::uint64_t inXReply = 0;    // the part made by Xlib and xcb while waiting for a reply
    std::uint64_t xReplies = 0;    // Xlib waiting for a reply (_XReply): one round trip each
};

Counts CurrentCounts();
Counts operator-(const Counts& after, const Counts& before);
Counts& operator+=(Counts& total, const Counts& more);

// A counter that shows a total as so much per iteration.
inline benchmark::Counter PerIteration(double total)
{
    return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}

// Whether the hooks are in effect (an allocation, an operator new and a round trip
// seen); if not, the benchmark is marked skipped with the reason.
bool CountingWorks(Display* display, benchmark::State& state);

// While on, every allocation and round trip prints its call stack to standard error.
void TraceCounts(bool on);
