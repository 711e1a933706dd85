#pragma once
// Run-time errors of the form runtime, and the one way the program skips them.

#include <stdexcept>
#include <string>

class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The first run-time error skipped: a start that ends without its window tells it.
inline std::string& FirstSkippedError()
{
    static std::string what;
    return what;
}

// What a start that made no window tells: the first failure skipped on the way.
inline std::string NoWindowMessage()
{
    return "no window could be made" + (FirstSkippedError().empty() ? "" : ": " + FirstSkippedError());
}

// Runs one statement; a run-time error abandons that statement and nothing more,
// so whatever it was to assign keeps its previous value.
template <class Statement>
void ResumeNext(Statement&& statement) noexcept
{
    try {
        statement();
    } catch (const std::exception& error) {
        try {
            if (FirstSkippedError().empty())
                FirstSkippedError() = error.what();
        } catch (...) { // no memory to keep it: it goes untold
        }
    }
}
