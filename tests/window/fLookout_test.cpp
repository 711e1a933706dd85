// The pupils follow the pointer: checked on the window's image after a tick,
// with the pointer really placed on the virtual screen.

#include <gtest/gtest.h>

#include <cmath>

#include "eye_geometry.h"
#include "fLookout.h"
#include "test_form.h"

namespace {

constexpr int windowLeft = 200, windowTop = 100;

class Eyes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ConnectToTestScreen();
        head = new fLookout;
        head->Left(windowLeft * 15);
        head->Top(windowTop * 15);
        head->Show();
    }
    static void TearDownTestSuite() { delete head; }

    // Places the pointer relative to the window and runs ticks as the program's loop does:
    // events read first, the drawing sent after. Four let it rest, long enough for the
    // window to stop asking where it is.
    static void Tick(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            DoEvents();
            head->tmr_Timer();
            DoEvents();
        }
    }
    static void LookAt(int x, int y, int ticks = 1)
    {
        SharedScreen().MovePointer(windowLeft + x, windowTop + y);
        Tick(ticks);
    }

    // Whether the black pixels within an eye's disc are a pupil (radius 7) centred on (x, y).
    static bool PupilAt(int eyeX, double x, double y)
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
        return count > 100 && std::abs(sumX / count - x) < 0.1 && std::abs(sumY / count - y) < 0.1; // no stale rim
    }

    static inline fLookout* head = nullptr;
};

TEST_F(Eyes, ThePupilsTurnTowardsThePointerFromWhereTheWindowIs)
{
    const struct {
        int shift, pointerX, pointerY, leftX, leftY, rightX, rightY; // shift: the window moved right
    } cases[] = {
        {0, leftEyeX, eyeY, 39, 162, 138, 162},   // on the left eye's centre
        {0, 700, eyeY, 44, 162, 148, 162},        // far right on their height
        {0, 91, eyeY, 44, 162, 138, 162},         // between the eyes
        {300, 300 + leftEyeX, -200, 39, 157, 0, 0}, // straight above the left eye, after a move
    };
    for (const auto& c : cases) {
        head->Left((windowLeft + c.shift) * 15);
        LookAt(c.pointerX, c.pointerY);
        EXPECT_TRUE(PupilAt(leftEyeX, c.leftX, c.leftY)) << c.pointerX << "," << c.pointerY;
        EXPECT_TRUE(c.rightX == 0 || PupilAt(rightEyeX, c.rightX, c.rightY)) << c.pointerX << "," << c.pointerY;
    }
    head->Left(windowLeft * 15);
}

// A still pointer costs no requests, and one warped by another program shows soon.
TEST_F(Eyes, AStillPointerCostsNothingAndAWarpedOneShowsSoon)
{
    LookAt(700, eyeY, 4);
    unsigned long firstRequest = XNextRequest(TheDisplay());
    Tick(5);
    EXPECT_EQ(XNextRequest(TheDisplay()) - firstRequest, 0u);

    LookAt(-150, eyeY, 4); // resting before the warp
    Display* other = SharedScreen().Connection();
    XWarpPointer(other, None, DefaultRootWindow(other), 0, 0, 0, 0, windowLeft + leftEyeX, windowTop - 90);
    XSync(other, False);
    EXPECT_TRUE(Eventually([] {
        XSync(TheDisplay(), False); // the events so far; the window's own timer ticks meanwhile
        DoEvents();
        return PupilAt(leftEyeX, 39, 157);
    }, std::chrono::seconds(1)));
}

} // namespace
