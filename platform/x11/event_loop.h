#pragma once
// The one event loop: X events, timers, double-clicks and the move with the pointer.

struct NativeForm;

// Runs the program's events until it ends.
[[noreturn]] void RunMessageLoop();

// Moves the window with the pointer, keeping the pointer's offset within it,
// until the left button is released; events and timer ticks go on meanwhile.
void MoveWithPointer(NativeForm& native);

// Handles what has arrived and the timers due, without waiting. For tests.
void DoEvents();
