// The one event loop of the program. All X events are read and dispatched here.

#include "event_loop.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <poll.h>

#include "app_services.h"
#include "device_pixels.h"
#include "coordinates.h"
#include "display.h"
#include "double_click.h"
#include "double_click_settings.h"
#include "form_timer.h"
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
    // The connections are read when the poll said so, not on every pass: a pass without
    // input makes no system call but the poll.
    static bool mayHaveInput = true, mayHaveRecord = true;
    if (mayHaveRecord)
        static_cast<void>(ReadPointerRecord());
    if (mayHaveInput)
        XEventsQueued(display, QueuedAfterReading);
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
    static Clock::time_point deafUntil;
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
    mayHaveInput = mayHaveRecord = true;
    if (!wait || (activeMove && activeMove->done))
        return;
    // The replies waited for in this pass may have brought events and records along, which
    // the poll would not see again: a sleep without a timeout must not begin with them unread.
    if (XEventsQueued(display, QueuedAfterReading) || ReadPointerRecord())
        return;
    // Without a tick to wait for, the program sleeps until the server says something.
    bool deaf = Clock::now() < deafUntil;
    if (deaf)
        next = std::min(next, deafUntil);
    int timeout = -1;
    if (next != Clock::time_point::max())
        timeout = static_cast<int>(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count(), 0, 3600000));
    // poll passes over a negative descriptor.
    pollfd connections[] = {{deaf ? -1 : ConnectionNumber(display), POLLIN, 0}, {PointerRecordFd(), POLLIN, 0}};
    int ready = poll(connections, connections[1].fd < 0 ? 1 : 2, timeout);
    mayHaveInput = ready < 0 || deaf || connections[0].revents != 0; // a signal: look at both
    mayHaveRecord = ready < 0 || connections[1].revents != 0;
}

} // namespace

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
    if (XGrabPointer(display, native.window, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime) != GrabSuccess)
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
