// Counting hooks. This program defines malloc, operator new and Xlib's reply
// wait itself; the dynamic linker then sends every caller here, Xlib and xcb
// included, and each hook counts and passes the call on to the real one.

#include "counting_hooks.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> newCalls{0};
std::atomic<std::uint64_t> xReplies{0};
std::atomic<std::uint64_t> inXReply{0};
thread_local bool waitingForReply = false;

std::atomic<bool> tracing{false};
thread_local bool inTrace = false; // backtrace() may allocate itself

void Trace(const char* what)
{
    if (!tracing.load(std::memory_order_relaxed) || inTrace)
        return;
    inTrace = true;
    void* frames[32];
    int depth = backtrace(frames, 32);
    dprintf(STDERR_FILENO, "--- %s\n", what);
    backtrace_symbols_fd(frames + 1, depth - 1, STDERR_FILENO);
    inTrace = false;
}

void CountAllocation()
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (waitingForReply)
        inXReply.fetch_add(1, std::memory_order_relaxed);
    Trace("allocation");
}

void* CountedNew(std::size_t size)
{
    newCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* pointer = std::malloc(size ? size : 1))
        return pointer;
    throw std::bad_alloc();
}

} // namespace

Counts CurrentCounts()
{
    return {allocations.load(std::memory_order_relaxed), newCalls.load(std::memory_order_relaxed),
            inXReply.load(std::memory_order_relaxed), xReplies.load(std::memory_order_relaxed)};
}

Counts operator-(const Counts& after, const Counts& before)
{
    return {after.allocations - before.allocations, after.newCalls - before.newCalls,
            after.inXReply - before.inXReply, after.xReplies - before.xReplies};
}

Counts& operator+=(Counts& total, const Counts& more)
{
    total.allocations += more.allocations;
    total.newCalls += more.newCalls;
    total.inXReply += more.inXReply;
    total.xReplies += more.xReplies;
    return total;
}

bool CountingWorks(Display* display, benchmark::State& state)
{
    Counts before = CurrentCounts();
    void* volatile block = ::operator new(1); // volatile: not to be optimised away
    ::operator delete(block);
    XSync(display, False);
    Counts seen = CurrentCounts() - before;
    if (seen.allocations >= 1 && seen.newCalls == 1 && seen.xReplies == 1)
        return true;
    state.SkipWithError("the counting hooks are not in effect");
    return false;
}

void TraceCounts(bool on) { tracing = on; }

extern "C" {

void* malloc(std::size_t size) noexcept
{
    CountAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    CountAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) noexcept
{
    CountAllocation();
    return __libc_realloc(pointer, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    CountAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pointer, std::size_t alignment, std::size_t size) noexcept
{
    CountAllocation();
    *pointer = __libc_memalign(alignment, size);
    return *pointer ? 0 : ENOMEM;
}

void free(void* pointer) noexcept { __libc_free(pointer); }

// Xlib's one way of waiting for a reply; the parameter types are only passed on.
int _XReply(Display* display, void* reply, int extra, int discard)
{
    xReplies.fetch_add(1, std::memory_order_relaxed);
    Trace("X round trip (_XReply)");
    using Function = int (*)(Display*, void*, int, int);
    static auto real = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "_XReply"));
    waitingForReply = true;
    int status = real(display, reply, extra, discard);
    waitingForReply = false;
    return status;
}

} // extern "C"

void* operator new(std::size_t size) { return CountedNew(size); }
void* operator new[](std::size_t size) { return CountedNew(size); }
void operator delete(void* pointer) noexcept { std::free(pointer); }
void operator delete[](void* pointer) noexcept { std::free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { std::free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { std::free(pointer); }
