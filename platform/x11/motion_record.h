#pragma once
// The RECORD extension on a second connection of the program's own: the server tells it
// of every pointer motion, a warp by any client's request among them, which no input
// device reports. Recording is switched on only while the pointer rests, and off again
// at its first motion, so a moving mouse wakes the program no more than its timer does.

#include <X11/Xlib.h>

// Opens the second connection and the recording context; false where the server has no RECORD.
bool StartMotionRecord(Display* display);

// The second connection's descriptor for the event loop's poll; -1 without one.
int MotionRecordFd();
// Reads what the server has recorded; true when it reported a motion.
bool ReadMotionRecord();

// Recording on (asynchronous: it counts only once Recording() says so) or off.
void RecordMotion(bool on);
// The server records: every motion from now on is reported.
bool Recording();
