#pragma once
// What the one event loop waits on. Each source names its descriptor, what to wait for
// there and when it must be called without input; the loop sleeps in one poll for all.

#include <chrono>

struct LoopWait {
    int fd = -1;      // nothing to wait for on a descriptor now
    short events = 0; // poll's POLLIN, POLLOUT
    std::chrono::steady_clock::time_point due = std::chrono::steady_clock::time_point::max();
};

class LoopSource {
public:
    // What the next sleep waits for.
    virtual LoopWait Wait() = 0;
    // Reads and handles what has come, without waiting; true when anything came.
    virtual bool Read() = 0;

protected:
    ~LoopSource() = default;
};

// Sources are read in the order they were added; a source lives until the program ends.
void AddLoopSource(LoopSource& source);
