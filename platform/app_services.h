#pragma once
// What the program asks of its surroundings: its own file, other copies of
// itself, the screen, and how to end.

#include <string>

namespace App {
std::wstring Path();    // the folder of the program file, without a final separator
std::wstring EXEName(); // the program file's name without folder and extension
bool PrevInstance();    // another copy of this program is already running
}

namespace TheScreen {
float Width();          // the primary display's width in twips
float WorkAreaTop();    // the top of the primary display's work area (below a panel at its top),
                        // in twips from the display's top edge
}

// Ends the program at once: no handler runs afterwards; exit status 0.
[[noreturn]] void End();

// The program's texts are Unicode; the settings and path calls take the system's 8-bit text.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
