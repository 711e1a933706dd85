#pragma once
// The program's start.

namespace AppModul {

// Lets one copy run, settles where the settings are, and shows the window
// where the last run left it, or centred at the top of the screen.
void Main();

} // namespace AppModul
