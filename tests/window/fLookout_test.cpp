// The pupils follow the pointer: checked on the window's image after a tick,
// with the pointer really placed on the virtual screen.

#include <gtest/gtest.h>

#include <cmath>

#include "fLookout.h"
#include "test_form.h"
#include "x11_form.h"

namespace {

constexpr int windowLeft = 200, windowTop = 100;
constexpr int leftEyeX = 39, rightEyeX = 143, eyeY = 162;

class Eyes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ConnectToTestScreen();
        head = new fLookout;
        head->Left(windowLeft * 15);
        head->Top(windowTop * 15);
        head->Show();
        PumpEvents(std::chrono::milliseconds(50));
    }
    static void TearDownTestSuite() { delete head; }

    // A tick as the program's loop runs it: events read first, the drawing sent after.
    static void Tick()
    {
        DoEvents();
        head->tmr_Timer();
        DoEvents();
    }

    // Places the pointer relative to the window and runs `ticks` ticks; four let it rest,
    // long enough for the window to stop asking where it is.
    static void LookAt(int x, int y, int ticks = 1)
    {
        SharedScreen().MovePointer(windowLeft + x, windowTop + y);
        for (int i = 0; i < ticks; ++i)
            Tick();
    }

    // Whether the black pixels within an eye's disc are a pupil centred on (x, y).
    static testing::AssertionResult PupilAt(int eyeX, double x, double y)
    {
        double sumX = 0, sumY = 0;
        int count = 0;
        for (int py = eyeY - 12; py <= eyeY + 12; ++py)
            for (int px = eyeX - 12; px <= eyeX + 12; ++px)
                if (head->Point(static_cast<float>(px), static_cast<float>(py)) == 0) {
                    sumX += px;
                    sumY += py;
                    ++count;
                }
        if (count > 100 && std::abs(sumX / count - x) < 0.5 && std::abs(sumY / count - y) < 0.5) // radius 7
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "eye at " << eyeX << ": " << count << " black pixels centred on ("
                                           << sumX / count << ", " << sumY / count << ")";
    }

    static fLookout* head;
};

fLookout* Eyes::head = nullptr;

TEST_F(Eyes, ThePupilsTurnTowardsThePointer)
{
    const struct {
        const char* where;
        int pointerX, pointerY;
        int leftX, leftY, rightX, rightY; // rightX 0: the right eye not checked
    } cases[] = {
        {"on the left eye's centre", leftEyeX, eyeY, 39, 162, 138, 162},
        {"far right on their height", 700, eyeY, 44, 162, 148, 162},
        {"straight above the left eye", leftEyeX, -90, 39, 157, 0, 0},
        {"between the eyes", 91, eyeY, 44, 162, 138, 162},
    };
    for (const auto& c : cases) {
        LookAt(c.pointerX, c.pointerY);
        EXPECT_TRUE(PupilAt(leftEyeX, c.leftX, c.leftY)) << c.where;
        if (c.rightX != 0) {
            EXPECT_TRUE(PupilAt(rightEyeX, c.rightX, c.rightY)) << c.where;
        }
    }
}

TEST_F(Eyes, AMovedWindowLooksFromItsNewPlace)
{
    head->Left((windowLeft + 300) * 15);
    LookAt(300 + leftEyeX, eyeY - 200);
    EXPECT_TRUE(PupilAt(leftEyeX, 39, 157));
    head->Left(windowLeft * 15);
}

// A still pointer costs no requests; one moved as a device would shows on the next tick,
// one warped by another program within a second.
TEST_F(Eyes, AStillPointerCostsNothingAndAMovedOneShowsSoon)
{
    LookAt(700, eyeY, 4);
    Display* display = TheDisplay();
    unsigned long firstRequest = XNextRequest(display);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(XNextRequest(display) - firstRequest, 0u);
    LookAt(-150, eyeY);
    EXPECT_TRUE(PupilAt(leftEyeX, 34, 162));
    LookAt(-150, eyeY, 4); // resting again before the warp

    Display* other = SharedScreen().Connection();
    XWarpPointer(other, None, DefaultRootWindow(other), 0, 0, 0, 0, windowLeft + leftEyeX, windowTop - 90);
    XSync(other, False);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!PupilAt(leftEyeX, 39, 157) && std::chrono::steady_clock::now() < deadline)
        PumpEvents(std::chrono::milliseconds(20)); // the window's own timer ticks meanwhile
    EXPECT_TRUE(PupilAt(leftEyeX, 39, 157));
}

// The pixels are those of drawing every circle of every tick straight into the image,
// also when a tick repeats the last and nothing is sent.
TEST_F(Eyes, TheImageIsThatOfDrawingEveryCircle)
{
    LookAt(700, eyeY, 4);
    NativeForm& native = *head->Native();
    Display* display = TheDisplay();
    Pixmap expected = XCreatePixmap(display, native.image, native.width, native.height,
                                    DefaultDepth(display, DefaultScreen(display)));
    GC gc = XCreateGC(display, expected, 0, nullptr);
    XCopyArea(display, native.image, expected, gc, 0, 0, native.width, native.height, 0, 0);
    auto drawCircle = [&](int x, int y, int radius, COLORREF color) {
        XSetForeground(display, gc, PixelOf(color));
        XFillArc(display, expected, gc, x - radius, y - radius, 2 * radius, 2 * radius, 0, 360 * 64);
        XDrawArc(display, expected, gc, x - radius, y - radius, 2 * radius, 2 * radius, 0, 360 * 64);
    };
    const int pointer[][2] = {{700, eyeY}, {700, eyeY}, {91, 900}, {-150, eyeY}, {-150, eyeY}};
    const int pupil[][2] = {{5, 0}, {5, 0}, {0, 5}, {-5, 0}, {-5, 0}}; // far away: 5 pixels straight
    for (int i = 0; i < 5; ++i) {
        LookAt(pointer[i][0], pointer[i][1]);
        for (int eyeX : {leftEyeX, rightEyeX})
            drawCircle(eyeX, eyeY, 12, 0x80FF80);
        for (int eyeX : {leftEyeX, rightEyeX})
            drawCircle(eyeX + pupil[i][0], eyeY + pupil[i][1], 7, 0);
    }
    XImage* want = XGetImage(display, expected, 0, 0, native.width, native.height, AllPlanes, ZPixmap);
    XImage* have = XGetImage(display, native.image, 0, 0, native.width, native.height, AllPlanes, ZPixmap);
    int differing = 0;
    for (int y = 0; y < native.height; ++y)
        for (int x = 0; x < native.width; ++x)
            differing += XGetPixel(want, x, y) != XGetPixel(have, x, y);
    EXPECT_EQ(differing, 0);
    XDestroyImage(want);
    XDestroyImage(have);
    XFreeGC(display, gc);
    XFreePixmap(display, expected);
}

} // namespace
