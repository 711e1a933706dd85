// The shipped head picture decides the window's shape (every non-black pixel is part
// of the window), so its outline is checked pixel for pixel; the icon only roughly.

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
    if (!file)
        ADD_FAILURE() << "cannot read " << path;
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

// Decoded once; a missing or broken file fails each test with the decoder's error.
const Picture& Head()
{
    static const Picture picture = DecodeBmpFile(ReadFile(LOOKOUT_PICTURE_BMP));
    return picture;
}

TEST(PictureOutline, SizeAndBackground)
{
    const Picture& head = Head();
    ASSERT_EQ(head.width, 184);
    ASSERT_EQ(head.height, 280);
    EXPECT_EQ(head.At(0, 0), 0u);
    EXPECT_TRUE(Runs(head, 0).empty());
    for (int y = 0; y < head.height; ++y)
        EXPECT_EQ(head.At(183, y), 0u) << "row " << y;
}

// A pure black pixel inside the head would be a hole in the window; it would show
// here as a row split into more runs.
TEST(PictureOutline, EachRowIsOneRunButRowSixIsNicked)
{
    const Picture& head = Head();
    ASSERT_EQ(head.height, 280);
    for (int y = 1; y < head.height; ++y) {
        std::vector<Span> runs = Runs(head, y);
        if (y == 6) {
            ASSERT_EQ(runs.size(), 2u);
            EXPECT_EQ(runs[0].second, 115);
            EXPECT_EQ(runs[1].first, 117);
        } else {
            EXPECT_EQ(runs.size(), 1u) << "row " << y;
        }
    }
    for (int x : {39, 143}) // the eye centres
        EXPECT_NE(head.At(x, 162), 0u) << "eye at column " << x;
}

TEST(PictureOutline, EdgesFollowTheHead)
{
    const Picture& head = Head();
    ASSERT_EQ(head.height, 280);
    auto span = [&](int y) {
        std::vector<Span> runs = Runs(head, y);
        return runs.empty() ? Span(-1, -1) : Span(runs.front().first, runs.back().second);
    };

    // Widest from row 137 to 159, and only there.
    for (int y = 1; y < head.height; ++y) {
        if (y >= 137 && y <= 159)
            EXPECT_EQ(span(y), Span(0, 182)) << "row " << y;
        else
            EXPECT_NE(span(y), Span(0, 182)) << "row " << y;
    }

    const struct {
        int row, first, last;
    } samples[] = {{1, 87, 94},    {20, 40, 141},  {40, 19, 162},  {60, 9, 173},   {80, 3, 179},
                   {100, 1, 181},  {140, 0, 182},  {160, 1, 182},  {180, 8, 174},  {200, 26, 157},
                   {220, 41, 141}, {240, 54, 129}, {260, 67, 116}, {279, 84, 98}};
    for (const auto& s : samples)
        EXPECT_EQ(span(s.row), Span(s.first, s.last)) << "row " << s.row;
}

TEST(Icon, IsASmallHeadOnTransparency)
{
    std::vector<std::uint8_t> bytes = ReadFile(LOOKOUT_ICON_ICO);
    ASSERT_FALSE(bytes.empty()) << LOOKOUT_ICON_ICO;
    std::vector<bool> transparent;
    Picture icon = DecodeIcon(bytes, transparent);
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_EQ(transparent.size(), 32u * 32u);

    int opaque = 0;
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < transparent.size(); ++i)
        if (!transparent[i]) {
            ++opaque;
            colours.insert(icon.pixels[i]);
        }
    EXPECT_GT(opaque, 200); // a head, not a dot
    EXPECT_LT(opaque, 32 * 32);
    EXPECT_TRUE(transparent[0]); // the corners lie outside the head
    EXPECT_LE(colours.size(), 16u);
    EXPECT_FALSE(transparent[16 * 32 + 16]); // the middle lies inside it
}

} // namespace
