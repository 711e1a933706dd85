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
std::vector<bool> ShapeCoverage(Display* display, Window window, int width, int height)
{
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    std::vector<bool> covered(static_cast<std::size_t>(width) * height, false);
    for (int i = 0; i < count; ++i)
        for (int y = rectangles[i].y; y < rectangles[i].y + rectangles[i].height; ++y)
            for (int x = rectangles[i].x; x < rectangles[i].x + rectangles[i].width; ++x)
                if (x >= 0 && y >= 0 && x < width && y < height)
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

Window WindowOf(Form& form) { return static_cast<Window>(reinterpret_cast<std::uintptr_t>(form.hWnd())); }

class Trimming : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ConnectToTestScreen(); }

    std::vector<bool> TrimmedCoverage(const Picture& picture)
    {
        TestForm form(picture);
        cTrimmer().TrimForm(form);
        XSync(TheDisplay(), False);
        return ShapeCoverage(SharedScreen().Connection(), WindowOf(form), picture.width, picture.height);
    }
};

TEST_F(Trimming, EveryPixelThatDiffersFromTheTopLeftOneIsKept)
{
    constexpr COLORREF key = 0x00FF00, ink = 0x123456;
    Picture onlyCornerKeyed = MakePicture(7, 4, ink);
    onlyCornerKeyed.pixels[0] = key;
    EXPECT_EQ(TrimmedCoverage(onlyCornerKeyed), NotKeyColoured(onlyCornerKeyed));

    Picture hole = MakePicture(9, 5, key);
    for (int x = 1; x < 9; ++x) // a row that reaches the right edge, with a hole at column 4
        hole.pixels[2 * 9 + x] = x == 4 ? key : ink;
    hole.pixels[3 * 9 + 8] = ink; // a run of one pixel at the right edge
    std::vector<bool> covered = TrimmedCoverage(hole);
    EXPECT_EQ(covered, NotKeyColoured(hole));
    EXPECT_FALSE(covered[2 * 9 + 4]);
    EXPECT_TRUE(covered[2 * 9 + 8]);
}

TEST_F(Trimming, APictureAllInTheKeyColourLeavesNothingToClick)
{
    TestForm form(MakePicture(20, 20, 0x0000FF));
    cTrimmer().TrimForm(form);
    XSync(TheDisplay(), False);
    EXPECT_EQ(ShapeCoverage(SharedScreen().Connection(), WindowOf(form), 20, 20), std::vector<bool>(400, false));

    form.Left(100 * 15);
    form.Top(100 * 15);
    form.Show();
    PumpEvents(std::chrono::milliseconds(100));
    SharedScreen().MovePointer(110, 110);
    SharedScreen().Button(1, true);
    SharedScreen().Button(1, false);
    PumpEvents(std::chrono::milliseconds(100));
    EXPECT_TRUE(form.mouseDowns.empty());
}

TEST_F(Trimming, TheWindowsSettingsComeBackAfterTrimming)
{
    TestForm form(MakePicture(5, 5, 0x00FF00));
    cTrimmer().TrimForm(form);
    EXPECT_EQ(form.ScaleMode(), vbTwips);
    EXPECT_FALSE(form.AutoRedraw());
}

TEST_F(Trimming, AWindowWithoutAPictureStaysRectangularAndUntouched)
{
    TestForm form(std::nullopt, 30, 10);
    form.ScaleMode(vbPixels);
    cTrimmer().TrimForm(form);
    XSync(TheDisplay(), False);
    EXPECT_EQ(ShapeCoverage(SharedScreen().Connection(), WindowOf(form), 30, 10), std::vector<bool>(300, true));
    EXPECT_EQ(form.ScaleMode(), vbPixels);
    EXPECT_FALSE(form.AutoRedraw());
}

TEST_F(Trimming, TheHeadIsCutToOneRectanglePerRunOfItsPicture)
{
    std::ifstream file(LOOKOUT_PICTURE_BMP, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    Picture picture = DecodeBmpFile(bytes);

    fLookout head;
    std::vector<bool> covered = ShapeCoverage(SharedScreen().Connection(), WindowOf(head), picture.width, picture.height);
    EXPECT_EQ(covered, NotKeyColoured(picture));
    EXPECT_FALSE(covered[6 * 184 + 116]);
}

} // namespace
