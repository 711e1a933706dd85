// Integer arithmetic that raises errors instead of wrapping, and the rounding start-up relies on.

#include <gtest/gtest.h>

#include <climits>

#include "checked_int.h"

TEST(CheckedArithmetic, OverflowIsAnErrorNotAWrapAround)
{
    EXPECT_EQ(CheckedAdd(INT_MAX - 39, 39), INT_MAX);
    EXPECT_THROW(CheckedAdd(INT_MAX - 38, 39), RuntimeError);
    EXPECT_THROW(CheckedSub(0, INT_MIN), RuntimeError);
    EXPECT_EQ(RoundToLong(2.5), 2); // halfway goes to the even one
    EXPECT_EQ(RoundToLong(2147483647.4), INT_MAX);
    EXPECT_THROW(RoundToLong(2147483647.5), RuntimeError);
    EXPECT_THROW(RoundToLong(0.0 / 0.0), RuntimeError);
    EXPECT_THROW(ToSingle(-1e39), RuntimeError);
}
