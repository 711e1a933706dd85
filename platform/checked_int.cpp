// Conversions that raise an overflow error instead of wrapping or producing infinities.

#include <cmath>
#include <limits>
#include <string>

#include "checked_int.h"

std::int32_t RoundToLong(double value)
{
    double rounded = std::rint(value); // the default rounding: halfway goes to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw RuntimeError("number out of the 32-bit range: " + std::to_string(value));
    return static_cast<std::int32_t>(rounded);
}

float ToSingle(double value)
{
    if (std::isnan(value) || std::fabs(value) > std::numeric_limits<float>::max())
        throw RuntimeError("number out of the single-precision range: " + std::to_string(value));
    return static_cast<float>(value);
}
