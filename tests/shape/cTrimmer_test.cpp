// Shaping windows to their pictures, checked on the shape the X server holds.

#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

#include "cTrimmer.h"
#include "test_form.h"

namespace {

// Which pixels of a window its bounding shape covers, as the server reports it.
std::vector<bool> ShapeCoverage(Form& form, int width, int height)
{
    Window window = WindowOf(form);
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

// The key colour is the top-left pixel's, and the form's modes come back after trimming. The
// picture's rows: all key, all ink, ink with a hole, key then ink, one ink pixel at the right edge.
TEST(Trimming, EveryPixelThatDiffersFromTheTopLeftOneIsKept)
{
    ConnectToTestScreen();
    constexpr COLORREF key = 0x00FF00, ink = 0x123456;
    Picture picture{9, 5, std::vector<std::uint32_t>(45, ink)};
    for (int x = 0; x < 9; ++x)
        picture.pixels[x] = key;
    picture.pixels[2 * 9 + 4] = picture.pixels[3 * 9 + 0] = key;
    for (int x = 0; x < 8; ++x)
        picture.pixels[4 * 9 + x] = key;
    Form form(TestDesign(picture));
    cTrimmer().TrimForm(form);
    std::vector<bool> kept;
    for (std::uint32_t color : picture.pixels)
        kept.push_back(color != key);
    EXPECT_EQ(ShapeCoverage(form, 9, 5), kept);
    EXPECT_EQ(form.ScaleMode(), vbTwips);
    EXPECT_FALSE(form.AutoRedraw());

    Form plain(TestDesign(std::nullopt, 30, 10)); // no picture: left rectangular
    cTrimmer().TrimForm(plain);
    EXPECT_EQ(ShapeCoverage(plain, 30, 10), std::vector<bool>(300, true));
}

} // namespace
