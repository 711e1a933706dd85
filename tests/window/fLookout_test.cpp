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

struct Centre {
    double x;
    double y;
};

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

    // Places the pointer at a point relative to the window and runs one tick.
    void LookAt(int x, int y)
    {
        SharedScreen().MovePointer(windowLeft + x, windowTop + y);
        Tick();
    }

    // The centre of the black pixels within an eye's disc.
    static Centre Pupil(int eyeX)
    {
        double sumX = 0, sumY = 0;
        int count = 0;
        for (int y = eyeY - 12; y <= eyeY + 12; ++y)
            for (int x = eyeX - 12; x <= eyeX + 12; ++x)
                if (head->Point(static_cast<float>(x), static_cast<float>(y)) == 0) {
                    sumX += x;
                    sumY += y;
                    ++count;
                }
        EXPECT_GT(count, 100); // a disc of radius 7
        return {sumX / count, sumY / count};
    }

    static void ExpectPupil(int eyeX, double x, double y)
    {
        Centre centre = Pupil(eyeX);
        EXPECT_NEAR(centre.x, x, 0.5) << "eye at " << eyeX;
        EXPECT_NEAR(centre.y, y, 0.5) << "eye at " << eyeX;
    }

    // A tick as the program's loop runs it: events read first, the drawing sent after.
    static void Tick()
    {
        DoEvents();
        head->tmr_Timer();
        DoEvents();
    }

    // Lets the pointer rest long enough for the window to stop asking where it is.
    static void Rest(int x, int y)
    {
        SharedScreen().MovePointer(windowLeft + x, windowTop + y);
        for (int i = 0; i < 4; ++i)
            Tick();
    }

    static bool PupilNear(int eyeX, double x, double y)
    {
        Centre centre = Pupil(eyeX);
        return std::abs(centre.x - x) < 0.5 && std::abs(centre.y - y) < 0.5;
    }

    static fLookout* head;
};

fLookout* Eyes::head = nullptr;

TEST_F(Eyes, APointerOnAnEyesCentreLeavesThatPupilCentred)
{
    LookAt(leftEyeX, eyeY);
    ExpectPupil(leftEyeX, 39, 162);
    ExpectPupil(rightEyeX, 138, 162);
}

TEST_F(Eyes, BothPupilsLookRightAtAFarPointerOnTheirHeight)
{
    LookAt(700, eyeY);
    ExpectPupil(leftEyeX, 44, 162);
    ExpectPupil(rightEyeX, 148, 162);
}

TEST_F(Eyes, APupilLooksStraightUpWhenThePointerIsAboveItsEye)
{
    LookAt(leftEyeX, -90);
    ExpectPupil(leftEyeX, 39, 157);
}

TEST_F(Eyes, ThePupilsLookAtEachOtherWhenThePointerIsBetweenTheEyes)
{
    LookAt(91, eyeY);
    ExpectPupil(leftEyeX, 44, 162);
    ExpectPupil(rightEyeX, 138, 162);
}

TEST_F(Eyes, TheEyeDiscCoversTheOldPupil)
{
    LookAt(700, eyeY);
    LookAt(-150, eyeY);
    ExpectPupil(leftEyeX, 34, 162);
    EXPECT_EQ(head->Point(47, 162), 0x80FF80u); // where the pupil was, now the eye's green
}

TEST_F(Eyes, AMovedWindowLooksFromItsNewPlace)
{
    head->Left((windowLeft + 300) * 15);
    SharedScreen().MovePointer(windowLeft + 300 + leftEyeX, windowTop + eyeY - 200);
    Tick();
    ExpectPupil(leftEyeX, 39, 157);
    head->Left(windowLeft * 15);
}

TEST_F(Eyes, TheScreenShowsThePupilsOfTheLastTick)
{
    LookAt(700, eyeY);
    PumpEvents(std::chrono::milliseconds(30));
    VirtualScreen& screen = SharedScreen();
    EXPECT_EQ(screen.ScreenPixel(windowLeft + 44, windowTop + 162), 0u);
    EXPECT_EQ(screen.ScreenPixel(windowLeft + 33, windowTop + 162), 0x80FF80u);
}

TEST_F(Eyes, AStillPointerCostsNoRequestsAndAMovedOneShowsOnTheNextTick)
{
    Rest(700, eyeY);
    Display* display = TheDisplay();
    unsigned long firstRequest = XNextRequest(display);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(XNextRequest(display) - firstRequest, 0u);

    LookAt(-150, eyeY); // XTest moves the pointer as a device would
    ExpectPupil(leftEyeX, 34, 162);
}

TEST_F(Eyes, APointerWarpedByAnotherProgramShowsWithinASecond)
{
    Rest(700, eyeY);
    Display* other = SharedScreen().Connection();
    XWarpPointer(other, None, DefaultRootWindow(other), 0, 0, 0, 0, windowLeft + leftEyeX, windowTop - 90);
    XSync(other, False);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < deadline) {
        PumpEvents(std::chrono::milliseconds(20)); // the window's own timer ticks meanwhile
        shown = PupilNear(leftEyeX, 39, 157);
    }
    EXPECT_TRUE(shown);
}

// The pixels are those of drawing every circle of every tick straight into the image,
// also when a tick repeats the last and nothing is sent.
TEST_F(Eyes, TheImageIsThatOfDrawingEveryCircle)
{
    Rest(700, eyeY);
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
    auto drawTick = [&](int pupilDx, int pupilDy) {
        drawCircle(leftEyeX, eyeY, 12, 0x80FF80);
        drawCircle(rightEyeX, eyeY, 12, 0x80FF80);
        drawCircle(leftEyeX + pupilDx, eyeY + pupilDy, 7, 0);
        drawCircle(rightEyeX + pupilDx, eyeY + pupilDy, 7, 0);
    };
    const int pointer[][2] = {{700, eyeY}, {700, eyeY}, {91, 900}, {-150, eyeY}, {-150, eyeY}};
    const int pupil[][2] = {{5, 0}, {5, 0}, {0, 5}, {-5, 0}, {-5, 0}}; // far away: 5 pixels straight
    for (int i = 0; i < 5; ++i) {
        SharedScreen().MovePointer(windowLeft + pointer[i][0], windowTop + pointer[i][1]);
        Tick();
        drawTick(pupil[i][0], pupil[i][1]);
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
