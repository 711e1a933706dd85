// Ticks of the form's timer, and which of them may pass without waking the program.

#include "form_timer.h"

#include "monitors.h"
#include "pointer.h"
#include "run_handler.h"
#include "x11_form.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the tick reads: the pointer's place as last told, the window's, the primary monitor's corner.
TickInputs CurrentInputs(const NativeForm& native)
{
    auto [pointerX, pointerY] = LastPointerPosition();
    const MonitorArea& primary = PrimaryMonitor();
    return {pointerX, pointerY, native.left, native.top, primary.x, primary.y};
}

bool MayPass(NativeForm& native)
{
    const FormTicks& ticks = native.ticks;
    return Clock::now() < PointerStillUntil() && ticks.lastRead && *ticks.lastRead == CurrentInputs(native) &&
           !ticks.drewNew && !ticks.handlerRan;
}

} // namespace

void StartTimer(NativeForm& native)
{
    if (Timer* timer = native.form->TheTimer())
        native.ticks.due = Clock::now() + timer->Interval();
}

void FireTimerIfDue(NativeForm& native)
{
    Timer* timer = native.form->TheTimer();
    if (!timer || !timer->Ticking())
        return;
    FormTicks& ticks = native.ticks;
    Clock::time_point now = Clock::now();
    if (ticks.asleep) {
        if (MayPass(native))
            return;
        ticks.asleep = false;
        ticks.due = now; // the first tick after a change runs at once, and the grid goes on from it
    }
    if (ticks.due > now)
        return;
    // A late tick is not made up for.
    auto interval = timer->Interval();
    ticks.due += ((now - ticks.due) / interval + 1) * interval;
    ticks.ran = true;
    ticks.sentBefore = native.circles.batchesSent;
    ticks.handlerRan = false;
    RunHandler([&] { timer->Fire(); });
}

void TickDrawingSent(NativeForm& native)
{
    FormTicks& ticks = native.ticks;
    if (!ticks.ran)
        return;
    ticks.ran = false;
    ticks.drewNew = native.circles.batchesSent != ticks.sentBefore;
    ticks.lastRead = CurrentInputs(native);
}

void HandlerRan(NativeForm& native) { native.ticks.handlerRan = true; }

Clock::time_point NextTick(NativeForm& native)
{
    Timer* timer = native.form->TheTimer();
    if (!timer || !timer->Ticking())
        return Clock::time_point::max();
    native.ticks.asleep = native.ticks.asleep || MayPass(native);
    // Without RECORD the pointer is asked again once its last answer is old enough.
    return native.ticks.asleep ? PointerStillUntil() : native.ticks.due;
}
