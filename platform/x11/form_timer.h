#pragma once
// The form's one timer on X11: ticks on a grid of whole intervals, let pass while they
// could not change anything; the first tick after a change runs at once, and the grid
// goes on from it.
//
// A tick of the program's timer reads only the pointer's place and the window's
// (GetCursorPos, GetWindowRect, both counted from the primary monitor) and its only
// effect is the eyes it draws into the kept image. A tick that reads what the last tick
// read computes what that one computed and draws what it drew, which the image shows
// already. So while the pointer surely rests (RECORD would tell of any motion; without it,
// raw motion would, until the pointer is next asked for warps), the window stays where it
// was, no other handler has run and the last tick drew nothing new, ticks are let pass and
// the program sleeps; the first change makes the next tick run at once.

#include <chrono>

struct NativeForm;

void StartTimer(NativeForm& native);
// Runs the tick if it is due and could change something.
void FireTimerIfDue(NativeForm& native);
// After the drawing of the pass has been sent: notes what the tick of the pass did.
void TickDrawingSent(NativeForm& native);
// A handler other than the tick has run: the next tick runs.
void HandlerRan(NativeForm& native);
// When the event loop must wake for the next tick; while ticks are let pass, max with RECORD,
// else when the pointer is next asked.
std::chrono::steady_clock::time_point NextTick(NativeForm& native);
