// Shaping windows to their pictures, checked on the shape the X server holds.

#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

#include <fstream>
#include <iterator>

#include "cTrimmer.h"
#include "fLookout.h"
#include "test_form.h"

namespace {

// Which pixels of a window its bounding shape covers, as the server reports it.
std::vector<bool> ShapeCoverage(Form& form, int width, int height)
{
    Window window = WindowOf(form); // a form not yet loaded loads and trims itself here
    XSync(TheDisplay(), False);
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(SharedScreen().Connection(), window, ShapeBounding, &count, &ordering);
    std::vector<bool> covered(static_cast<std::size_t>(width) * height, false);
    for (int i = 0; i < count; ++i)
        for (int y = std::max(0, int(rectangles[i].y)); y < std::min(height, rectangles[i].y + rectangles[i].height); ++y)
            for (int x = std::max(0, int(rectangles[i].x)); x < std::min(width, rectangles[i].x + rectangles[i].width); ++x)
                covered[static_cast<std::size_t>(y) * width + x] = true;
    if (rectangles)
        XFree(rectangles);
    return covered;
}

std::vector<bool> NotKeyColoured(const Picture& picture)
{
    std::vector<bool> opaque;
    for (std::uint32_t color : picture.pixels)
        opaque.push_back(color != picture.pixels[0]);
    return opaque;
}

class Trimming : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ConnectToTestScreen(); }
};

// The key colour is the top-left pixel's; the form's modes come back after trimming.
TEST_F(Trimming, EveryPixelThatDiffersFromTheTopLeftOneIsKept)
{
    constexpr COLORREF key = 0x00FF00, ink = 0x123456;
    Picture onlyCornerKeyed = MakePicture(7, 4, ink);
    onlyCornerKeyed.pixels[0] = key;
    Picture hole = MakePicture(9, 5, key);
    for (int x = 1; x < 9; ++x) // a row to the right edge with a hole at column 4: two runs
        hole.pixels[2 * 9 + x] = x == 4 ? key : ink;
    hole.pixels[3 * 9 + 8] = ink; // a run of one pixel at the right edge
    for (const Picture& picture : {MakePicture(20, 20, key), onlyCornerKeyed, hole}) {
        Form form(TestDesign(picture));
        cTrimmer().TrimForm(form);
        EXPECT_EQ(ShapeCoverage(form, picture.width, picture.height), NotKeyColoured(picture)) << picture.width;
        EXPECT_EQ(form.ScaleMode(), vbTwips);
        EXPECT_FALSE(form.AutoRedraw());
    }
}

TEST_F(Trimming, AWindowWithoutAPictureStaysRectangularAndUntouched)
{
    Form form(TestDesign(std::nullopt, 30, 10));
    form.ScaleMode(vbPixels);
    cTrimmer().TrimForm(form);
    EXPECT_EQ(ShapeCoverage(form, 30, 10), std::vector<bool>(300, true));
    EXPECT_EQ(form.ScaleMode(), vbPixels);
    EXPECT_FALSE(form.AutoRedraw());
}

TEST_F(Trimming, TheHeadIsCutToTheRunsOfItsPicture)
{
    std::ifstream file(LOOKOUT_PICTURE_BMP, std::ios::binary);
    Picture picture = DecodeBmpFile(std::vector<std::uint8_t>{std::istreambuf_iterator<char>(file), {}});
    fLookout head;
    EXPECT_EQ(ShapeCoverage(head, picture.width, picture.height), NotKeyColoured(picture));
}

} // namespace
