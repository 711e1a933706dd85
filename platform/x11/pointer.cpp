// The pointer's position without a round trip while it provably has not moved.
// Raw motion is listened to only while the pointer rests, and only until the first
// such event: a moving mouse would otherwise wake the program hundreds of times a second.

#include "pointer.h"

#include <X11/extensions/XInput2.h>

namespace {

using Clock = std::chrono::steady_clock;

struct {
    bool probed = false;
    int inputOpcode = -1;    // XInput 2's major opcode; -1 without it
    bool listening = false;  // raw motion selected on the root
    bool trusted = false;    // no raw motion since the last answer, which came after listening began
    bool resting = false;    // the last two answers were the same
    bool known = false;
    int x = 0;
    int y = 0;
    Clock::time_point askedAt;
} pointer;

void ProbeInput(Display* display)
{
    pointer.probed = true;
    int event, error;
    if (!XQueryExtension(display, "XInputExtension", &pointer.inputOpcode, &event, &error)) {
        pointer.inputOpcode = -1;
        return;
    }
    // 2.1 and later deliver raw events to the root without a grab.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || (major == 2 && minor < 1))
        pointer.inputOpcode = -1;
}

void Listen(Display* display, bool on)
{
    unsigned char bits[XIMaskLen(XI_RawMotion)] = {};
    if (on)
        XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    pointer.listening = on;
}

void NoteMotion(Display* display)
{
    pointer.trusted = false;
    if (pointer.listening)
        Listen(display, false); // one event says enough until the next query
}

} // namespace

bool TakePointerEvent(Display* display, const XEvent& event)
{
    if (pointer.inputOpcode < 0 || event.type != GenericEvent || event.xcookie.extension != pointer.inputOpcode)
        return false;
    NoteMotion(display);
    return true;
}

bool PointerPosition(Display* display, int& x, int& y)
{
    if (!pointer.probed)
        ProbeInput(display);
    // Raw motion reaches NoteMotion through the event loop, which reads the connection
    // right before it fires the timers.
    Clock::time_point now = Clock::now();
    if (pointer.trusted && now - pointer.askedAt < pointerSafetyNet) {
        x = pointer.x;
        y = pointer.y;
        return true;
    }
    // Listening begins before the query, so that no motion after its answer goes unseen.
    if (pointer.inputOpcode >= 0 && pointer.resting && !pointer.listening)
        Listen(display, true);
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
    pointer.trusted = pointer.listening;
    return true;
}
