// The watcher window as a user meets it: placed, shaped, looking at the pointer and
// dragged. The same under every window manager, which none of them frames (see
// desktops_test.cpp).

#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned rootWhite = 0xFFFFFF, black = 0, eyeGreen = 0x80FF80;
constexpr int eyeY = 162;

class Watcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = std::make_unique<VirtualScreen>(1024, 768);
        lookout = std::make_unique<RunningLookout>(*screen, InstallLookout(folder.Path()));
    }
    void TearDown() override
    {
        lookout.reset();
        screen.reset();
    }

    // Presses a button over a point of the window, moves the pointer by (dx, dy) in steps, releases.
    void Drag(unsigned button, int x, int y, int dx, int dy, const char* modifier = nullptr)
    {
        auto [left, top] = lookout->Position();
        screen->MovePointer(left + x, top + y);
        if (modifier)
            screen->Key(modifier, true);
        screen->Button(button, true);
        for (int step = 1; step <= 10; ++step) {
            screen->MovePointer(left + x + dx * step / 10, top + y + dy * step / 10);
            Pause(15ms);
        }
        Pause(100ms);
        screen->Button(button, false);
        if (modifier)
            screen->Key(modifier, false);
        Pause(600ms); // past the double-click time, so the next press is a press of its own
    }

    TempFolder folder;
    std::unique_ptr<VirtualScreen> screen;
    std::unique_ptr<RunningLookout> lookout;
};

TEST_F(Watcher, AppearsCentredAtTheTopCutToTheHead)
{
    EXPECT_EQ(lookout->Position(), std::make_pair(420, 0));
    EXPECT_EQ(lookout->PixelAt(2, 2), rootWhite);      // the desktop shows around the head
    EXPECT_EQ(lookout->PixelAt(183, 150), rootWhite);
    EXPECT_NE(lookout->PixelAt(91, 100), rootWhite);   // the forehead
    EXPECT_NE(lookout->PixelAt(116, 7), rootWhite);
}

TEST_F(Watcher, AClickBesideTheHeadDoesNotReachIt)
{
    Drag(1, 3, 3, 100, 100);
    EXPECT_EQ(lookout->Position(), std::make_pair(420, 0));
}

TEST_F(Watcher, ThePupilsFollowThePointer)
{
    auto [left, top] = lookout->Position();
    screen->MovePointer(1000, top + eyeY);
    Pause(200ms);
    EXPECT_EQ(lookout->PixelAt(39 + 9, eyeY), black);
    EXPECT_EQ(lookout->PixelAt(39 - 9, eyeY), eyeGreen);

    screen->MovePointer(0, top + eyeY);
    Pause(200ms);
    EXPECT_EQ(lookout->PixelAt(143 - 9, eyeY), black);
    EXPECT_EQ(lookout->PixelAt(143 + 9, eyeY), eyeGreen);

    screen->MovePointer(left + 39, 700);
    Pause(200ms);
    EXPECT_EQ(lookout->PixelAt(39, eyeY + 9), black);
    EXPECT_EQ(lookout->PixelAt(39, eyeY - 9), eyeGreen);
}

TEST_F(Watcher, ALeftDragMovesItWhileThePupilsGoOnLooking)
{
    auto [left, top] = lookout->Position();
    screen->MovePointer(1000, top + eyeY);
    Pause(200ms);
    EXPECT_EQ(lookout->PixelAt(39 + 9, eyeY), black); // looking right

    // Pressed at once on the forehead: only a tick during the drag turns the pupils up to it.
    screen->MovePointer(left + 91, top + 60);
    screen->Button(1, true);
    for (int step = 1; step <= 10; ++step) {
        screen->MovePointer(left + 91 + 10 * step, top + 60 + 30 * step);
        Pause(15ms);
    }
    Pause(250ms);
    auto moved = lookout->Position();
    EXPECT_EQ(moved, std::make_pair(left + 100, top + 300));
    EXPECT_EQ(screen->ScreenPixel(moved.first + 39 + 9, moved.second + eyeY), eyeGreen);
    EXPECT_EQ(screen->ScreenPixel(moved.first + 39 + 2, moved.second + eyeY - 9), black);

    screen->MovePointer(left + 91 - 300, top + 60 + 100);
    Pause(150ms);
    EXPECT_EQ(lookout->Position(), std::make_pair(left - 300, top + 100));
    screen->Button(1, false);
    screen->MovePointer(900, 700); // at once: a motion after the release moves nothing
    Pause(150ms);
    EXPECT_EQ(lookout->Position(), std::make_pair(left - 300, top + 100));
}

TEST_F(Watcher, OnlyTheLeftButtonDragsWhateverKeysAreHeld)
{
    Drag(3, 91, 60, 100, 100);
    Drag(2, 91, 60, 100, 100);
    EXPECT_EQ(lookout->Position(), std::make_pair(420, 0));
    Drag(1, 91, 60, 50, 40, "Shift_L");
    EXPECT_EQ(lookout->Position(), std::make_pair(470, 40));
}

} // namespace
