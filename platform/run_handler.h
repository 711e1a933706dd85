#pragma once
// The one way an event handler is called from a platform's event loop.

#include <exception>
#include <string>

// Ends the program with status 1, telling what failed where the system lets it
// (standard error on Linux, the debugger's output on Windows). Each platform has one.
[[noreturn]] void FailInHandler(const std::string& what);

// A failure that reaches the platform from a handler without error handling of
// its own ends the program; nothing unwinds into the system's code below.
template <class Handler>
void RunHandler(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& error) {
        FailInHandler(error.what());
    } catch (...) {
        FailInHandler("unknown error");
    }
}
