// The shipped head picture decides the window's shape: every pixel not of the top-left key colour.

#include <gtest/gtest.h>

#include "picture.h"
#include "temp_folder.h"

namespace {

std::vector<std::uint8_t> Bytes(const char* path)
{
    std::string bytes = FileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// How many unbroken stretches of non-key pixels a row has.
int RunsIn(const Picture& picture, int y)
{
    int runs = 0;
    for (int x = 0; x < picture.width; ++x)
        runs += picture.At(x, y) != picture.At(0, 0) && (x == 0 || picture.At(x - 1, y) == picture.At(0, 0));
    return runs;
}

// A key-coloured pixel inside the head would be a hole in the window: one is, in row 6.
TEST(PictureOutline, OneRunPerRowButTheHoleInRowSixAndTheEyesInside)
{
    const Picture head = DecodeBmpFile(Bytes(LOOKOUT_PICTURE_BMP));
    ASSERT_EQ(head.width, 184);
    ASSERT_EQ(head.height, 280);
    EXPECT_EQ(head.At(0, 0), 0u);
    EXPECT_EQ(RunsIn(head, 0), 0);
    for (int y = 1; y < head.height; ++y)
        EXPECT_EQ(RunsIn(head, y), y == 6 ? 2 : 1) << "row " << y;
    EXPECT_EQ(head.At(116, 6), 0u);
    EXPECT_NE(head.At(39, 162), 0u);
    EXPECT_NE(head.At(143, 162), 0u);
}

TEST(PictureOutline, TheIconIsA32PixelHeadOnTransparency)
{
    std::vector<bool> transparent;
    const Picture icon = DecodeIcon(Bytes(LOOKOUT_ICON_ICO), transparent);
    ASSERT_EQ(icon.width * icon.height, 32 * 32);
    ASSERT_EQ(transparent.size(), 32u * 32u);
    EXPECT_TRUE(transparent[0]);
    EXPECT_FALSE(transparent[16 * 32 + 16]);
}

} // namespace
