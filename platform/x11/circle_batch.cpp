// Batches of circles for the kept image: the eyes are drawn every tick, but the
// server hears of them only when a pupil has moved.

#include "circle_batch.h"

#include "display.h"
#include "x11_form.h"

namespace {

bool Contains(const KeptCircle& outer, const KeptCircle& inner)
{
    return inner.x - inner.radius >= outer.x - outer.radius && inner.x + inner.radius <= outer.x + outer.radius &&
           inner.y - inner.radius >= outer.y - outer.radius && inner.y + inner.radius <= outer.y + outer.radius;
}

// The window shows its kept image as its background: repaint each circle's square,
// once for squares that lie within another's.
void ShowCircles(Display* display, NativeForm& native, const std::vector<KeptCircle>& circles)
{
    for (std::size_t i = 0; i < circles.size(); ++i) {
        const KeptCircle& circle = circles[i];
        bool covered = false;
        for (std::size_t j = 0; j < circles.size() && !covered; ++j)
            covered = j != i && Contains(circles[j], circle) && (j < i || !Contains(circle, circles[j]));
        if (!covered)
            XClearArea(display, native.window, circle.x - circle.radius, circle.y - circle.radius,
                       2 * circle.radius + 1, 2 * circle.radius + 1, False);
    }
}

} // namespace

void QueueCircle(NativeForm& native, const KeptCircle& circle) { native.circles.queued.push_back(circle); }

void SendCircles(NativeForm& native)
{
    CircleBatch& batch = native.circles;
    if (batch.queued.empty())
        return;
    if (batch.queued == batch.sent) {
        batch.queued.clear();
        return;
    }
    Display* display = TheDisplay();
    for (const KeptCircle& circle : batch.queued) {
        int size = 2 * circle.radius;
        XSetForeground(display, native.gc, circle.fill);
        XFillArc(display, native.image, native.gc, circle.x - circle.radius, circle.y - circle.radius, size, size,
                 0, 360 * 64);
        XSetForeground(display, native.gc, circle.outline);
        XDrawArc(display, native.image, native.gc, circle.x - circle.radius, circle.y - circle.radius, size, size,
                 0, 360 * 64);
    }
    if (native.mapped)
        ShowCircles(display, native, batch.queued);
    KeptImageDrawn(native);
    ++batch.batchesSent;
    // The vectors trade places, so a tick allocates nothing once both have grown.
    batch.sent.swap(batch.queued);
    batch.queued.clear();
}
