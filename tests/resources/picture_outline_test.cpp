// The shipped head picture decides the window's shape (every non-black pixel is part
// of the window), so its outline is checked row by row; the icon only roughly.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "picture.h"

namespace {

std::vector<std::uint8_t> ReadFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << "cannot read " << path;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

using Span = std::pair<int, int>; // first and last column

// The unbroken stretches of non-black pixels in one row.
std::vector<Span> Runs(const Picture& picture, int y)
{
    std::vector<Span> runs;
    for (int x = 0; x < picture.width; ++x) {
        if (picture.At(x, y) == 0)
            continue;
        if (runs.empty() || runs.back().second != x - 1)
            runs.push_back({x, x});
        else
            runs.back().second = x;
    }
    return runs;
}

// A pure black pixel inside the head would be a hole in the window: a row split in more runs.
TEST(PictureOutline, OneRunPerRowFollowingTheHead)
{
    const Picture head = DecodeBmpFile(ReadFile(LOOKOUT_PICTURE_BMP));
    ASSERT_EQ(head.width, 184);
    ASSERT_EQ(head.height, 280);
    EXPECT_TRUE(Runs(head, 0).empty());
    for (int y = 1; y < head.height; ++y) {
        std::vector<Span> runs = Runs(head, y);
        if (y == 6) {
            ASSERT_EQ(runs.size(), 2u);
            EXPECT_EQ(runs[0].second + 2, runs[1].first);
            EXPECT_EQ(runs[0].second, 115);
            continue;
        }
        ASSERT_EQ(runs.size(), 1u) << "row " << y;
        // Widest, from column 0 to 182, between rows 137 and 159 only; column 183 always black.
        EXPECT_EQ(runs[0] == Span(0, 182), y >= 137 && y <= 159) << "row " << y;
        EXPECT_LE(runs[0].second, 182) << "row " << y;
    }
    const struct {
        int row, first, last;
    } samples[] = {{1, 87, 94},    {20, 40, 141},  {40, 19, 162},  {60, 9, 173},   {80, 3, 179},
                   {100, 1, 181},  {140, 0, 182},  {160, 1, 182},  {180, 8, 174},  {200, 26, 157},
                   {220, 41, 141}, {240, 54, 129}, {260, 67, 116}, {279, 84, 98}};
    for (const auto& s : samples)
        EXPECT_EQ(Runs(head, s.row), std::vector<Span>{Span(s.first, s.last)}) << "row " << s.row;
    for (int x : {39, 143}) // the eye centres
        EXPECT_NE(head.At(x, 162), 0u) << "eye at column " << x;
}

TEST(Icon, IsASmallHeadInSixteenColoursOnTransparency)
{
    std::vector<bool> transparent;
    const Picture icon = DecodeIcon(ReadFile(LOOKOUT_ICON_ICO), transparent);
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_EQ(transparent.size(), 32u * 32u);
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < transparent.size(); ++i)
        if (!transparent[i])
            colours.insert(icon.pixels[i]);
    EXPECT_GT(std::count(transparent.begin(), transparent.end(), false), 200); // a head, not a dot
    EXPECT_TRUE(transparent[0]);             // the corners lie outside the head
    EXPECT_FALSE(transparent[16 * 32 + 16]); // the middle inside it
    EXPECT_LE(colours.size(), 16u);
}

} // namespace
