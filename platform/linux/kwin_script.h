#pragma once
// KWin, in Plasma 5.27 and 6: a script that lookout loads into the compositor over the session
// bus and that calls lookout back at every motion of the pointer, wherever it is. lookout
// unloads it when it ends; one left loaded by a lookout that was killed has the same fixed
// name, and the next start replaces it.

// Loads and runs the script; false where KWin does not take it.
bool LoadKWinScript();
