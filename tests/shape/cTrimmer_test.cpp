// The head's window cut to its picture, checked on the shape the X server holds: every pixel
// that differs from the top-left one, the hole in the hair and the empty first row included.

#include <gtest/gtest.h>

#include <X11/extensions/shape.h>

#include "fLookout.h"
#include "temp_folder.h"
#include "test_form.h"
#include "x11_form.h"

TEST(Trimming, TheHeadKeepsEveryPixelThatDiffersFromTheTopLeftOne)
{
    ConnectToTestScreen();
    fLookout head;
    Window window = FormOfHandle(head.hWnd())->window; // loading trims it
    XSync(TheDisplay(), False);
    std::string bmp = FileBytes(LOOKOUT_PICTURE_BMP);
    const Picture picture = DecodeBmpFile({reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()});
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(TheDisplay(), window, ShapeBounding, &count, &ordering);
    std::vector<bool> covered(picture.pixels.size()), kept;
    for (int i = 0; i < count; ++i)
        for (int y = shape[i].y; y < shape[i].y + shape[i].height; ++y)
            for (int x = shape[i].x; x < shape[i].x + shape[i].width; ++x)
                covered.at(static_cast<std::size_t>(y) * picture.width + x) = true;
    XFree(shape);
    for (std::uint32_t color : picture.pixels)
        kept.push_back(color != picture.pixels[0]);
    EXPECT_EQ(covered, kept);
}
