// The compositor's logical pixels mapped onto the X11 root, for the scales desktops run at.

#include <gtest/gtest.h>

#include <cmath>

#include "root_mapping.h"

namespace {

struct Mapping {
    const char* name;
    LogicalPointer pointer; // x, y and the logical screen's size
    RootSize root;
    std::optional<RootPoint> expected;
};

class MapsOntoTheRoot : public ::testing::TestWithParam<Mapping> {};

TEST_P(MapsOntoTheRoot, AsTheDesktopHasIt)
{
    const Mapping& mapping = GetParam();
    std::optional<RootPoint> mapped = OnRoot(mapping.pointer, mapping.root);
    ASSERT_EQ(mapped.has_value(), mapping.expected.has_value());
    if (mapped) {
        EXPECT_EQ(*mapped, *mapping.expected) << mapped->x << "," << mapped->y;
    }
}

const Mapping mappings[] = {
    {"ScaleOne", {640, 400, 1280, 800}, {1280, 800}, RootPoint{640, 400}},
    {"ScaleOneLastPixel", {1279, 799, 1280, 800}, {1280, 800}, RootPoint{1279, 799}},
    // KWin with XwaylandClientsScale: the root is the logical screen times the scale.
    {"KWinScaleTwo", {320, 200, 640, 400}, {1280, 800}, RootPoint{640, 400}},
    {"KWinScaleOneAndAHalf", {101, 33, 1280, 800}, {1920, 1200}, RootPoint{151, 49}},
    // A KWin script's positions may come as fractions of a logical pixel.
    {"KWinFractionalPosition", {100.75, 0.5, 1280, 800}, {2560, 1600}, RootPoint{201, 1}},
    // The pointer is on the screen: a report beyond it (a monitor just gone) stays on the root.
    {"BeyondTheScreenKeptOnTheRoot", {1400, -5, 1280, 800}, {1280, 800}, RootPoint{1279, 0}},
    {"NoScreenNoPlace", {10, 10, 0, 800}, {1280, 800}, std::nullopt},
    {"NotANumberNoPlace", {std::nan(""), 10, 1280, 800}, {1280, 800}, std::nullopt},
    {"NoRootNoPlace", {10, 10, 1280, 800}, {0, 0}, std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Scales, MapsOntoTheRoot, ::testing::ValuesIn(mappings),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
