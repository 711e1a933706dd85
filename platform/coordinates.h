#pragma once
// Both window systems keep positions and sizes in 16 bits: X in its protocol,
// Windows in the messages that report a move (WM_MOVE).

#include <climits>

inline bool FitsInShort(long long value) { return value >= SHRT_MIN && value <= SHRT_MAX; }
