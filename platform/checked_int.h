#pragma once
// 32-bit integer arithmetic that raises an overflow error instead of wrapping.

#include <cstdint>
#include <string>

#include "runtime_error.h"

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b)
{
    std::int32_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        throw RuntimeError("coordinate out of range: " + std::to_string(a) + " + " + std::to_string(b));
    return sum;
}

inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b)
{
    std::int32_t difference;
    if (__builtin_sub_overflow(a, b, &difference))
        throw RuntimeError("coordinate out of range: " + std::to_string(a) + " - " + std::to_string(b));
    return difference;
}

// A whole number from a floating-point value: the nearest one, a value exactly
// halfway going to the even one; an error where no 32-bit integer can hold it.
std::int32_t RoundToLong(double value);

// The nearest single-precision value; an error where the value is beyond its range.
float ToSingle(double value);
