// Shaping windows to their pictures, checked on the shape the X server holds.

#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

#include "cTrimmer.h"
#include "fLookout.h"
#include "temp_folder.h"
#include "test_form.h"

namespace {

// Which pixels of a window its bounding shape covers, as the server reports it.
std::vector<bool> ShapeCoverage(Form& form, int width, int height)
{
    Window window = WindowOf(form); // a form not yet loaded loads and trims itself here
    XSync(TheDisplay(), False);
    int count = 0, ordering = 0;
    XRectangle* r = XShapeGetRectangles(SharedScreen().Connection(), window, ShapeBounding, &count, &ordering);
    std::vector<bool> covered(static_cast<std::size_t>(width) * height, false);
    for (int i = 0; i < count; ++i)
        for (int y = std::max(0, int(r[i].y)); y < std::min(height, r[i].y + r[i].height); ++y)
            for (int x = std::max(0, int(r[i].x)); x < std::min(width, r[i].x + r[i].width); ++x)
                covered[static_cast<std::size_t>(y) * width + x] = true;
    XFree(r);
    return covered;
}

std::vector<bool> NotKeyColoured(const Picture& picture)
{
    std::vector<bool> kept;
    for (std::uint32_t color : picture.pixels)
        kept.push_back(color != picture.pixels[0]);
    return kept;
}

// The key colour is the top-left pixel's; the form's modes come back after trimming. Covered: a
// picture all key, one with only the corner keyed, a row with a hole, a one-pixel run at the right edge.
TEST(Trimming, EveryPixelThatDiffersFromTheTopLeftOneIsKept)
{
    ConnectToTestScreen();
    constexpr COLORREF key = 0x00FF00, ink = 0x123456;
    Picture allKey{20, 20, std::vector<std::uint32_t>(400, key)}, corner{7, 4, std::vector<std::uint32_t>(28, ink)};
    Picture hole{9, 5, std::vector<std::uint32_t>(45, key)};
    corner.pixels[0] = key;
    for (int x = 1; x < 9; ++x)
        hole.pixels[2 * 9 + x] = x == 4 ? key : ink;
    hole.pixels[3 * 9 + 8] = ink;
    for (const Picture& picture : {allKey, corner, hole}) {
        Form form(TestDesign(picture));
        cTrimmer().TrimForm(form);
        EXPECT_EQ(ShapeCoverage(form, picture.width, picture.height), NotKeyColoured(picture)) << picture.width;
        EXPECT_EQ(form.ScaleMode(), vbTwips);
        EXPECT_FALSE(form.AutoRedraw());
    }
    Form plain(TestDesign(std::nullopt, 30, 10)); // no picture: left rectangular
    cTrimmer().TrimForm(plain);
    EXPECT_EQ(ShapeCoverage(plain, 30, 10), std::vector<bool>(300, true));

    std::string bmp = FileBytes(LOOKOUT_PICTURE_BMP);
    Picture picture = DecodeBmpFile(std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
    fLookout head;
    EXPECT_EQ(ShapeCoverage(head, picture.width, picture.height), NotKeyColoured(picture));
}

} // namespace
