// The shipped head picture decides the window's shape (every non-black pixel is part
// of the window), so its outline is checked row by row; the icon only roughly.

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
    const std::vector<Span> split = Runs(head, 6); // the one black pixel at column 116
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].second + 2, split[1].first);
    EXPECT_EQ(split[1].first, 117);
    for (int y = 1; y < head.height; ++y)
        EXPECT_EQ(Runs(head, y).size(), y == 6 ? 2u : 1u) << "row " << y;
    const int samples[][3] = {{1, 87, 94},    {20, 40, 141},  {40, 19, 162},  {60, 9, 173},   {80, 3, 179},
                              {100, 1, 181},  {140, 0, 182},  {160, 1, 182},  {180, 8, 174},  {200, 26, 157},
                              {220, 41, 141}, {240, 54, 129}, {260, 67, 116}, {279, 84, 98}};
    for (const auto& [row, first, last] : samples)
        EXPECT_EQ(Runs(head, row), std::vector<Span>{Span(first, last)}) << "row " << row;
    EXPECT_NE(head.At(39, 162), 0u); // the eye centres
    EXPECT_NE(head.At(143, 162), 0u);
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
    EXPECT_TRUE(transparent[0]);             // the corners lie outside the head
    EXPECT_FALSE(transparent[16 * 32 + 16]); // the middle inside it
    EXPECT_LE(colours.size(), 16u);
}

} // namespace
