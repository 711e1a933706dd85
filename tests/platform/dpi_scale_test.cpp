// The rules between the program's logical pixels and a screen's, at the DPIs the head is
// promised sharp at: each logical pixel covers whole device pixels, each device pixel shows
// the one it lies in, places come back where they were, and circles round once.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "dpi_scale.h"
#include "runtime_error.h"

namespace {

struct Dpi {
    int dpi;
    int headWidth, headHeight; // the head of 184 by 280 logical pixels, as the README lists it
};

class PixelRules : public ::testing::TestWithParam<Dpi> {
protected:
    PixelScale scale{GetParam().dpi / 96.0};
};

TEST_P(PixelRules, TheHeadHasItsSizeInInches)
{
    EXPECT_EQ(scale.ToDevice(184), GetParam().headWidth);
    EXPECT_EQ(scale.ToDevice(280), GetParam().headHeight);
}

TEST_P(PixelRules, EachDevicePixelShowsTheLogicalPixelItLiesIn)
{
    const int wide = static_cast<int>(std::floor(scale.factor)), narrow = static_cast<int>(std::ceil(scale.factor));
    for (int logical = -600; logical < 600; ++logical) {
        int first = scale.ToDevice(logical), next = scale.ToDevice(logical + 1);
        ASSERT_TRUE(next - first == wide || next - first == narrow) << logical; // no gap, no overlap
        for (int device = first; device < next; ++device)
            ASSERT_EQ(scale.ToLogical(device), logical) << device;
    }
}

TEST_P(PixelRules, APlaceComesBackAndIsStoredHalfALogicalPixelOffAtMost)
{
    for (int logical = -600; logical < 600; ++logical)
        ASSERT_EQ(scale.ToLogicalEdge(scale.ToDevice(logical)), logical);
    for (int device = -900; device < 900; ++device)
        ASSERT_LE(std::abs(scale.ToLogicalEdge(device) * scale.factor - device), scale.factor / 2 + 1e-9) << device;
}

INSTANTIATE_TEST_SUITE_P(Dpis, PixelRules,
                         ::testing::Values(Dpi{96, 184, 280}, Dpi{120, 230, 350}, Dpi{144, 276, 420}, Dpi{168, 322, 490},
                                           Dpi{192, 368, 560}),
                         [](const auto& info) { return std::to_string(info.param.dpi) + "dpi"; });

TEST(NearestPixel, HalfwayGoesToEvenAndWhatNamesNoPixelIsRefused)
{
    const struct {
        double value;
        int pixel;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {-0.5, 0}, {2147483647.0, INT_MAX}};
    for (auto c : cases)
        EXPECT_EQ(NearestPixel(c.value), c.pixel) << c.value;
    for (double value : {2147483648.0, -2147483649.0, std::nan(""), HUGE_VAL})
        EXPECT_THROW(NearestPixel(value), RuntimeError) << value;
}

} // namespace
