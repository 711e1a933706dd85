// The pupils follow the pointer: checked on the window's image after a tick,
// with the pointer really placed on the virtual screen.

#include <gtest/gtest.h>

#include <cmath>

#include "fLookout.h"
#include "test_form.h"

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
        head->tmr_Timer();
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
    head->tmr_Timer();
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

} // namespace
