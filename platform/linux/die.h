#pragma once
// The one way the Linux program gives up.

#include <string>

// Ends the program with one line on standard error and status 1.
[[noreturn]] void Die(const std::string& message);
