// The pointer's position without a round trip while it provably has not moved.
// Motion is listened to only while the pointer rests, and only until its first report:
// a moving mouse would otherwise wake the program hundreds of times a second.

#include "pointer.h"

#include <X11/extensions/XInput2.h>

#include <tuple>

#include "compositor.h"
#include "display.h"
#include "motion_record.h"

namespace {

using Clock = std::chrono::steady_clock;

struct {
    bool probed = false;
    bool recorded = false;   // RECORD reports every motion
    int inputOpcode = -1;    // XInput 2's major opcode; -1 without it
    bool touch = false;      // XInput 2.2: raw touch events
    bool listening = false;  // motion listened to
    bool trusted = false;    // no motion since the last answer, which came after listening began
    bool resting = false;    // the last two answers were the same
    bool known = false;
    int x = 0;
    int y = 0;
    Clock::time_point askedAt;
} pointer;

void Probe(Display* display)
{
    pointer.probed = true;
    // Xwayland holds RECORD's reports back until it next sends some client its output, which
    // may take seconds; raw motion it sends at once.
    pointer.recorded = !XwaylandServer(display) && StartMotionRecord(display);
    int event, error;
    if (!XQueryExtension(display, "XInputExtension", &pointer.inputOpcode, &event, &error)) {
        pointer.inputOpcode = -1;
        return;
    }
    // 2.1 and later deliver raw events to the root without a grab; 2.2 has touch.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || (major == 2 && minor < 1))
        pointer.inputOpcode = -1;
    pointer.touch = pointer.inputOpcode >= 0 && (major > 2 || minor >= 2);
}

void SelectRawEvents(Display* display, bool on)
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on && !pointer.recorded)
        XISetMask(bits, XI_RawMotion); // devices only: no warp moves one
    if (on && pointer.touch) {
        // A finger on a touchscreen moves the pointer without any raw motion.
        XISetMask(bits, XI_RawTouchBegin);
        XISetMask(bits, XI_RawTouchUpdate);
        XISetMask(bits, XI_RawTouchEnd);
    }
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
}

void Listen(Display* display, bool on)
{
    if (pointer.inputOpcode >= 0)
        SelectRawEvents(display, on);
    RecordMotion(on);
    pointer.listening = on;
}

void NoteMotion(Display* display)
{
    pointer.trusted = false;
    if (pointer.listening)
        Listen(display, false); // one report says enough until the next query
}

} // namespace

void PointerMayHaveMoved(Display* display) { NoteMotion(display); }

bool TakePointerEvent(Display* display, const XEvent& event)
{
    if (pointer.inputOpcode < 0 || event.type != GenericEvent || event.xcookie.extension != pointer.inputOpcode)
        return false;
    NoteMotion(display);
    return true;
}

int PointerRecordFd() { return MotionRecordFd(); }

bool ReadPointerRecord()
{
    bool moved = ReadMotionRecord();
    if (moved)
        NoteMotion(TheDisplay());
    return moved;
}

Clock::time_point PointerStillUntil()
{
    if (!pointer.trusted)
        return Clock::time_point::min();
    return pointer.recorded ? Clock::time_point::max() : pointer.askedAt + pointerSafetyNet;
}

std::pair<int, int> LastPointerPosition() { return {pointer.x, pointer.y}; }

bool PointerPosition(Display* display, int& x, int& y)
{
    if (!pointer.probed)
        Probe(display);
    // Reports of motion reach NoteMotion through the event loop, which reads both
    // connections right before it fires the timers.
    Clock::time_point now = Clock::now();
    if (now < PointerStillUntil()) {
        std::tie(x, y) = LastPointerPosition();
        return true;
    }
    // Listening begins before the query, so that no motion after its answer goes unseen;
    // recording counts from the moment the server says it has begun.
    if ((pointer.inputOpcode >= 0 || pointer.recorded) && pointer.resting && !pointer.listening)
        Listen(display, true);
    bool listened = pointer.listening && (!pointer.recorded || Recording());
    Window root, child;
    int rootX, rootY, windowX, windowY;
    unsigned int buttons;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                       &buttons)) {
        pointer.known = pointer.trusted = pointer.resting = false;
        return false;
    }
    pointer.resting = pointer.known && rootX == pointer.x && rootY == pointer.y;
    pointer.known = true;
    pointer.x = x = rootX;
    pointer.y = y = rootY;
    pointer.askedAt = now;
    pointer.trusted = listened;
    return true;
}
