// The one event loop of the program. All X events are read and dispatched here.

#include "event_loop.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app_services.h"
#include "device_pixels.h"
#include "coordinates.h"
#include "display.h"
#include "double_click.h"
#include "double_click_settings.h"
#include "form_timer.h"
#include "loop_source.h"
#include "monitor_changes.h"
#include "monitors.h"
#include "native_form.h"
#include "pointer.h"
#include "run_handler.h"
#include "stacking.h"
#include "x11_form.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long notifications of other windows' moves may wait to be read: a tick's time.
constexpr std::chrono::milliseconds stackingBatch{70};

// The last left press that may begin a double-click, in the screen's pixels.
struct {
    Window window = 0;
    std::optional<Press> press;
} lastLeftPress;

// Where the pointer was on the screen when a button last went down over a window.
struct {
    int x = 0;
    int y = 0;
} buttonDownAt;

struct Move {
    NativeForm* native;
    int offsetX; // the pointer's position within the window
    int offsetY;
    bool done;
};
Move* activeMove = nullptr;

int ButtonNumber(unsigned int xButton)
{
    switch (xButton) {
    case Button1: return vbLeftButton;
    case Button2: return vbMiddleButton;
    case Button3: return vbRightButton;
    default: return 0; // wheel and extra buttons
    }
}

int ShiftState(unsigned int state)
{
    return (state & ShiftMask ? vbShiftMask : 0) | (state & ControlMask ? vbCtrlMask : 0) |
           (state & Mod1Mask ? vbAltMask : 0);
}

void OnButtonPress(NativeForm& native, const XButtonEvent& press)
{
    int button = ButtonNumber(press.button);
    if (button == 0 || activeMove)
        return;
    buttonDownAt = {press.x_root, press.y_root};
    if (button == vbLeftButton) {
        Press left{static_cast<std::uint32_t>(press.time), press.x_root, press.y_root};
        if (lastLeftPress.press && lastLeftPress.window == press.window &&
            CompletesDoubleClick(*lastLeftPress.press, left, DesktopDoubleClickLimits())) {
            lastLeftPress.press.reset();
            RunHandler([&] { native.form->Form_DblClick(); });
            HandlerRan(native);
            return;
        }
        lastLeftPress = {press.window, left};
    }
    RunHandler([&] {
        const PixelScale& scale = ScreenScale();
        native.form->RaiseMouseDown(button, ShiftState(press.state), scale.ToLogical(press.x), scale.ToLogical(press.y));
    });
    HandlerRan(native);
}

// Moves the window so that the pointer keeps its place in it.
void FollowPointer(int rootX, int rootY)
{
    NativeForm& native = *activeMove->native;
    int left = std::clamp(rootX - activeMove->offsetX, SHRT_MIN, SHRT_MAX);
    int top = std::clamp(rootY - activeMove->offsetY, SHRT_MIN, SHRT_MAX);
    if (left != native.left || top != native.top)
        MoveFormWindow(native, left, top);
}

void OnMotion(const XMotionEvent& motion)
{
    if (!activeMove)
        return;
    // Only the last of the motions queued one after the other counts; one after the
    // release belongs to no move.
    XMotionEvent latest = motion;
    XEvent next;
    while (XPending(motion.display) && (XPeekEvent(motion.display, &next), next.type == MotionNotify)) {
        XNextEvent(motion.display, &next);
        latest = next.xmotion;
    }
    FollowPointer(latest.x_root, latest.y_root);
}


// Changes in the stacking of the top-level windows, looked at once per batch of events.
int stackingEvents = 0;
// After a batch of those only, the connection is not read until then.
Clock::time_point deafUntil;

// The X connection as a source of the loop's.
class XConnection final : public LoopSource {
public:
    LoopWait Wait() override
    {
        if (Clock::now() < deafUntil)
            return {-1, 0, deafUntil};
        return {ConnectionNumber(TheDisplay()), POLLIN};
    }
    bool Read() override { return XEventsQueued(TheDisplay(), QueuedAfterReading) > 0; }
};

// What the loop waits on, and whether each may have something to read: the poll said so, or
// its time came. The X connection comes first; the others add themselves when they begin.
struct Source {
    LoopSource* source;
    bool mayHaveInput = true;
};
std::vector<Source>& Sources()
{
    static XConnection connection;
    static std::vector<Source> sources{{&connection}};
    return sources;
}
constexpr std::size_t maxSources = 8;

void Dispatch(XEvent& event)
{
    if (TakePointerEvent(event.xany.display, event) || TakeMonitorEvent(event) || TakeDoubleClickSettingsEvent(event))
        return;
    // The head's own move counts too: dragged over a window stacked above it, it must
    // come out on top of that one.
    if (TakeStackingEvent(event)) {
        ++stackingEvents;
        return;
    }
    NativeForm* native = FormOfWindow(event.xany.window);
    if (!native)
        return;
    switch (event.type) {
    case ButtonPress:
        OnButtonPress(*native, event.xbutton);
        break;
    case ButtonRelease:
        if (activeMove && event.xbutton.button == Button1) {
            FollowPointer(event.xbutton.x_root, event.xbutton.y_root);
            activeMove->done = true;
        }
        break;
    case MotionNotify:
        OnMotion(event.xmotion);
        break;
    case DestroyNotify: // by another client: the program cannot go on without its window
        Die("the window was destroyed by another program");
    default:
        break;
    }
}

// Sends what the handlers asked for; nothing at all when they asked for nothing,
// for even an empty flush reads the connection.
void FlushRequests(Display* display)
{
    static unsigned long flushedBefore = 0;
    if (XNextRequest(display) != flushedBefore) {
        XFlush(display);
        flushedBefore = XNextRequest(display);
    }
}

void HandleEventsAndTimers(bool wait)
{
    Display* display = TheDisplay();
    // The sources are read when the poll said so, not on every pass: a pass without
    // input makes no system call but the poll.
    for (Source& source : Sources())
        if (std::exchange(source.mayHaveInput, false))
            static_cast<void>(source.source->Read());
    // Once a move has ended, what follows its release (a second press of a
    // double-click, say) is for the loop outside the move.
    int events = 0;
    while (XEventsQueued(display, QueuedAlready) && !(activeMove && activeMove->done)) {
        XEvent event;
        XNextEvent(display, &event);
        Dispatch(event);
        ++events;
    }
    NativeForm* native = TheForm();
    // A busy desktop sends a notification for every move of every window: after a batch of
    // only those, the next is read a tick's time later, so that they wake the program no
    // more often than a timer would. Not in a move, whose own motions come on the connection.
    if (events > 0 && events == stackingEvents && !activeMove)
        deafUntil = Clock::now() + stackingBatch;
    auto lookAt = NextLookAt();
    if (stackingEvents > 0 || (lookAt && *lookAt <= Clock::now())) {
        stackingEvents = 0;
        if (native && native->topmost && native->mapped)
            KeepAbove(display, *native);
    }
    if (auto due = MonitorsDueAt(); due && *due <= Clock::now()) {
        MonitorLayout before = RereadMonitors();
        PointerMayHaveMoved(display); // the server keeps it on the monitors left, reporting no motion
        if (native)
            FollowMonitorChange(*native, before);
    }
    Clock::time_point next = Clock::time_point::max();
    if (native) {
        FireTimerIfDue(*native);
        SendCircles(*native); // the tick's drawing, before the loop goes idle
        TickDrawingSent(*native);
        next = NextTick(*native);
    }
    if (auto due = MonitorsDueAt())
        next = std::min(next, *due);
    if (auto look = NextLookAt(); look && native && native->topmost && native->mapped)
        next = std::min(next, *look);
    FlushRequests(display);
    std::vector<Source>& sources = Sources();
    for (Source& source : sources)
        source.mayHaveInput = true;
    if (!wait || (activeMove && activeMove->done))
        return;
    // The replies waited for in this pass may have brought events and records along, which
    // the poll would not see again: a sleep without a timeout must not begin with them unread.
    for (Source& source : sources)
        if (source.source->Read())
            return;
    // Without a tick to wait for, the program sleeps until a source says something.
    pollfd polled[maxSources];
    Clock::time_point due[maxSources];
    std::size_t count = sources.size(); // at most maxSources, as they are added
    for (std::size_t i = 0; i < count; ++i) {
        LoopWait wait = sources[i].source->Wait();
        polled[i] = {wait.fd, wait.events, 0}; // poll passes over a negative descriptor
        due[i] = wait.due;
        next = std::min(next, wait.due);
    }
    int timeout = -1;
    if (next != Clock::time_point::max())
        timeout = static_cast<int>(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count(), 0, 3600000));
    int ready = poll(polled, count, timeout);
    Clock::time_point now = Clock::now();
    for (std::size_t i = 0; i < count; ++i) // a signal: look at all
        sources[i].mayHaveInput = ready < 0 || polled[i].revents != 0 || due[i] <= now;
}

} // namespace

void AddLoopSource(LoopSource& source)
{
    if (Sources().size() == maxSources) // the loop polls no more: a program's fault, not the system's
        throw std::logic_error("more sources for the event loop than it polls");
    Sources().push_back({&source});
}

void RunMessageLoop()
{
    for (;;)
        HandleEventsAndTimers(true);
}

void DoEvents() { HandleEventsAndTimers(false); }

void MoveWithPointer(NativeForm& native)
{
    Display* display = TheDisplay();
    Window root, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    if (!XQueryPointer(display, native.window, &root, &child, &rootX, &rootY, &x, &y, &buttons) ||
        !(buttons & Button1Mask))
        return; // the button is up already: there is nothing to move
    // Presses too: one that comes after the release but before the program lets go of the grab
    // (the second of a double-click on a slow machine) would otherwise reach no one.
    if (XGrabPointer(display, native.window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime) != GrabSuccess)
        return;
    // A release between letting go of the press's own grab and this one went elsewhere.
    if (!XQueryPointer(display, native.window, &root, &child, &rootX, &rootY, &x, &y, &buttons) ||
        !(buttons & Button1Mask)) {
        XUngrabPointer(display, CurrentTime);
        return;
    }
    // The window keeps the pointer where the button went down on it, wherever the
    // pointer has gone since.
    Move move{&native, buttonDownAt.x - native.left, buttonDownAt.y - native.top, false};
    activeMove = &move;
    // A motion before the grab reached nobody: catch up with where the pointer is now.
    FollowPointer(rootX, rootY);
    while (!move.done)
        HandleEventsAndTimers(true);
    activeMove = nullptr;
    XUngrabPointer(display, CurrentTime);
    XFlush(display);
}
