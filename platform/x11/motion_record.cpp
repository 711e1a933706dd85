// Pointer motion as RECORD reports it: device MotionNotify events, warps included.
// The context is switched on from the data connection and off from the main one; each
// switch is over only once the data connection says so (start or end of data).

#include "motion_record.h"

#include <X11/extensions/record.h>

namespace {

enum class State { off, starting, on, stopping };

struct {
    Display* control = nullptr; // the program's connection, which switches recording off
    Display* data = nullptr;    // the connection on which the server sends what it records
    XRecordContext context = 0;
    State state = State::off;
    bool wanted = false; // on or off, once the switch under way is over
    bool moved = false;  // a motion reported since the last read
} record;

void OnRecorded(XPointer, XRecordInterceptData* data)
{
    switch (data->category) {
    case XRecordStartOfData:
        record.state = State::on;
        break;
    case XRecordEndOfData:
        record.state = State::off;
        break;
    case XRecordFromServer:
        record.moved = true; // only MotionNotify is recorded
        break;
    default:
        break;
    }
    XRecordFreeData(data);
}

// Starts the switch to what is wanted, unless one is under way: a switch off sent before
// the server has begun recording could reach it first and be lost.
void Switch()
{
    if (record.wanted && record.state == State::off) {
        // The start of data may come back within the call.
        record.state = State::starting;
        if (!XRecordEnableContextAsync(record.data, record.context, OnRecorded, nullptr))
            record.state = State::off;
        XFlush(record.data);
    } else if (!record.wanted && record.state == State::on) {
        XRecordDisableContext(record.control, record.context);
        XFlush(record.control);
        record.state = State::stopping;
    }
}

} // namespace

bool StartMotionRecord(Display* display)
{
    if (record.data)
        return true;
    // Asked first without a word: Xlib's own call tells standard error of a missing extension.
    int opcode, event, error, major = 1, minor = 13;
    if (!XQueryExtension(display, "RECORD", &opcode, &event, &error) || !XRecordQueryVersion(display, &major, &minor))
        return false;
    record.control = display;
    record.data = XOpenDisplay(DisplayString(display));
    if (!record.data)
        return false;
    XRecordRange* range = XRecordAllocRange();
    if (!range) {
        XCloseDisplay(record.data);
        record.data = nullptr;
        return false;
    }
    range->device_events.first = MotionNotify;
    range->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    record.context = XRecordCreateContext(display, 0, &clients, 1, &range, 1);
    XFree(range);
    if (!record.context) {
        XCloseDisplay(record.data);
        record.data = nullptr;
        return false;
    }
    // The data connection sees the context only once the server has made it.
    XSync(display, False);
    return true;
}

int MotionRecordFd() { return record.data ? ConnectionNumber(record.data) : -1; }

bool ReadMotionRecord()
{
    if (!record.data)
        return false;
    XRecordProcessReplies(record.data);
    Switch(); // what was wanted while a switch was under way
    bool moved = record.moved;
    record.moved = false;
    return moved;
}

void RecordMotion(bool on)
{
    record.wanted = on;
    if (record.data)
        Switch();
}

bool Recording() { return record.state == State::on && record.wanted; }
