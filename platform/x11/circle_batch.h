#pragma once
// Circles for the kept image, sent to the X server in batches. Painting opaque
// circles is idempotent as a sequence: a batch that repeats the last one sent, call
// for call, cannot change a pixel, so it is dropped instead of sent.

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

struct KeptCircle {
    int x;
    int y;
    int radius;
    unsigned long outline; // pixel values
    unsigned long fill;
    bool operator==(const KeptCircle&) const = default;
};

struct CircleBatch {
    std::vector<KeptCircle> queued;
    std::vector<KeptCircle> sent; // the last batch sent
    std::uint64_t batchesSent = 0;
};

struct NativeForm;

void QueueCircle(NativeForm& native, const KeptCircle& circle);
// Sends what is queued, unless it repeats the last batch, and shows it on the window.
void SendCircles(NativeForm& native);
