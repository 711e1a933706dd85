// The head at 96, 144 and 192 DPI: the same size in inches, shaped, looking, dragged,
// and stored and found again in twips, against the built program.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "picture.h"
#include "running_lookout.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int screenWidth = 2048, screenHeight = 1536;
constexpr unsigned rootWhite = 0xFFFFFF, black = 0, eyeGreen = 0x80FF80;
constexpr int headWidth = 184, headHeight = 280, eyeY = 162, leftEyeX = 39, rightEyeX = 143;

bool Eventually(const std::function<bool()>& state, std::chrono::milliseconds deadline = 2s)
{
    auto end = std::chrono::steady_clock::now() + deadline;
    while (!state()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Pause(10ms);
    }
    return true;
}

class HighDpi : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        screen = std::make_unique<VirtualScreen>(screenWidth, screenHeight);
        Display* display = screen->Connection();
        std::string dpi = "Xft.dpi:\t" + std::to_string(GetParam()) + "\n";
        XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "RESOURCE_MANAGER", False),
                        XA_STRING, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(dpi.data()),
                        static_cast<int>(dpi.size()));
        XSync(display, False);
    }

    double Scale() const { return GetParam() / 96.0; }
    int Scaled(int logical) const { return static_cast<int>(std::lround(logical * Scale())); }
    // A device pixel inside the given logical pixel.
    int Inside(int logical) const { return static_cast<int>(std::floor((logical + 0.5) * Scale())); }
    // The device pixel at which a distance in twips lies on this screen.
    int DevicePixels(double twips) const { return static_cast<int>(std::lround(twips * GetParam() / 1440)); }

    double StoredValue(const std::string& key) const
    {
        std::string text = FileBytes(folder.Path() / "lookout.ini");
        std::size_t at = text.find("\n" + key + "=");
        return at == std::string::npos ? NAN : std::stod(text.substr(at + key.size() + 2));
    }

    TempFolder folder;
    std::unique_ptr<VirtualScreen> screen;
};

TEST_P(HighDpi, TheHeadKeepsItsSizeInInchesAndWorksInIt)
{
    Display* display = screen->Connection();
    auto lookout = std::make_unique<RunningLookout>(*screen, InstallLookout(folder.Path()));
    Window window = lookout->TheWindow();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
    EXPECT_EQ(attributes.width, Scaled(headWidth));
    EXPECT_EQ(attributes.height, Scaled(headHeight));
    auto [left, top] = lookout->Position();
    EXPECT_LE(std::abs(left + attributes.width / 2 - screenWidth / 2), 1); // centred at the top
    EXPECT_EQ(top, 0);

    // The outline: the picture's rows 1 to 279 and columns 0 to 182, scaled, with the area scaled.
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    Region region = XCreateRegion();
    long area = 0;
    for (int i = 0; i < count; ++i) {
        XUnionRectWithRegion(&shape[i], region, region);
        area += long{shape[i].width} * shape[i].height;
    }
    XFree(shape);
    XRectangle box;
    XClipBox(region, &box);
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.y, Scaled(1));
    EXPECT_EQ(box.x + box.width, Scaled(183));
    EXPECT_EQ(box.y + box.height, Scaled(280));
    std::string bmp = FileBytes(LOOKOUT_PICTURE_BMP);
    Picture picture = DecodeBmpFile({reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()});
    auto logicalArea = static_cast<double>(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                                         [&](std::uint32_t c) { return c != picture.pixels[0]; }));
    EXPECT_NEAR(static_cast<double>(area) / (Scale() * Scale()), logicalArea, logicalArea * 0.005);

    // Inside the outline no key-coloured pixel but the pupils (whose rounding may take them a
    // pixel past the eye); outside it the desktop.
    screen->MovePointer(screenWidth - 1, top + Inside(eyeY));
    XImage* image = XGetImage(display, DefaultRootWindow(display), left, top, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    ASSERT_TRUE(image);
    int keyInside = 0, pictureOutside = 0;
    double eyeReach = 14 * Scale();
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            unsigned long pixel = XGetPixel(image, x, y) & 0xFFFFFF;
            bool inEye = std::hypot(x - Scaled(leftEyeX), y - Scaled(eyeY)) <= eyeReach ||
                         std::hypot(x - Scaled(rightEyeX), y - Scaled(eyeY)) <= eyeReach;
            if (XPointInRegion(region, x, y))
                keyInside += pixel == black && !inEye;
            else
                pictureOutside += pixel != rootWhite;
        }
    XDestroyImage(image);
    XDestroyRegion(region);
    EXPECT_EQ(keyInside, 0);
    EXPECT_EQ(pictureOutside, 0);

    // The pupils turn towards a pointer far right, then far left.
    auto pixelAt = [&](int logicalX, int logicalY) {
        return lookout->PixelAt(Inside(logicalX), Inside(logicalY));
    };
    EXPECT_TRUE(Eventually([&] { return pixelAt(leftEyeX + 9, eyeY) == black; }));
    EXPECT_EQ(pixelAt(leftEyeX - 9, eyeY), eyeGreen);
    screen->MovePointer(0, top + Inside(eyeY));
    EXPECT_TRUE(Eventually([&] { return pixelAt(rightEyeX - 9, eyeY) == black; }));
    EXPECT_EQ(pixelAt(rightEyeX + 9, eyeY), eyeGreen);

    // A drag moves it by the pointer's distance in device pixels, odd ones too.
    constexpr int dx = 301, dy = 157;
    screen->MovePointer(left + Inside(91), top + Inside(60));
    screen->Button(1, true);
    for (int step = 1; step <= 10; ++step) {
        screen->MovePointer(left + Inside(91) + dx * step / 10, top + Inside(60) + dy * step / 10);
        Pause(15ms);
    }
    auto moved = std::make_pair(left + dx, top + dy);
    EXPECT_TRUE(Eventually([&] { return lookout->Position() == moved; }));
    screen->Button(1, false);
    Pause(600ms); // the next press is no double-click

    // The stored place means, in inches, the window's place, to the logical pixel it can hold.
    DoubleClick(*screen, *lookout);
    ASSERT_EQ(lookout->WaitForExit(2s), 0);
    double storedLeft = StoredValue("Left"), storedTop = StoredValue("Top");
    EXPECT_NEAR(storedLeft * GetParam() / 1440, moved.first, Scale() / 2);
    EXPECT_NEAR(storedTop * GetParam() / 1440, moved.second, Scale() / 2);

    lookout = std::make_unique<RunningLookout>(*screen, InstallLookout(folder.Path()));
    EXPECT_EQ(lookout->Position(), std::make_pair(DevicePixels(storedLeft), DevicePixels(storedTop)));
}

INSTANTIATE_TEST_SUITE_P(Dpi, HighDpi, ::testing::Values(96, 144, 192));

} // namespace
