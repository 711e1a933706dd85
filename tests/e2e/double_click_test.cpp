// Two presses end lookout as a double-click within the desktop's limits (XSETTINGS, followed
// while lookout runs) or Windows' where the desktop publishes none; beyond them they are two presses.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <thread>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

// xsettingsd publishing a double-click time and distance on a screen, until the object goes.
class PublishedSettings {
public:
    PublishedSettings(const VirtualScreen& screen, int milliseconds, int pixels)
    {
        WriteBytes(folder_.Path() / "xsettingsd.conf", "Net/DoubleClickTime " + std::to_string(milliseconds) +
                                                           "\nNet/DoubleClickDistance " + std::to_string(pixels) + "\n");
        pid_ = Spawn({"xsettingsd", "-c", (folder_.Path() / "xsettingsd.conf").string()}, {"DISPLAY=" + screen.Name()});
        Display* display = screen.Connection();
        Atom selection = XInternAtom(display, "_XSETTINGS_S0", False);
        if (!Eventually([&] { return XGetSelectionOwner(display, selection) != None; }))
            throw std::runtime_error("xsettingsd publishes nothing");
    }
    ~PublishedSettings() { StopGroup(pid_); }

private:
    TempFolder folder_;
    pid_t pid_ = -1;
};

struct Presses {
    const char* name;
    std::optional<std::pair<int, int>> published; // milliseconds, pixels
    bool publishedLate;                           // after a first pair of presses
    std::chrono::milliseconds apart;
    int pixelsApart;
    bool doubleClick;
};

class DoubleClicks : public ::testing::TestWithParam<Presses> {};

// Two left presses and releases on the head, the time and the pixels apart.
void TwoPresses(const VirtualScreen& screen, const RunningLookout& lookout, const Presses& presses)
{
    auto [left, top] = lookout.Position();
    for (int press = 0; press < 2; ++press) {
        screen.MovePointer(left + 91 + press * presses.pixelsApart, top + 100);
        screen.Button(1, true);
        screen.Button(1, false);
        if (press == 0)
            std::this_thread::sleep_for(presses.apart); // the time between the presses is the case
    }
}

TEST_P(DoubleClicks, EndLookoutOnlyWithinTheLimits)
{
    const Presses& presses = GetParam();
    VirtualScreen& screen = SharedScreen();
    TempFolder folder;
    std::unique_ptr<PublishedSettings> settings;
    auto publish = [&] { settings = std::make_unique<PublishedSettings>(screen, presses.published->first,
                                                                        presses.published->second); };
    if (presses.published && !presses.publishedLate)
        publish();
    RunningLookout lookout(screen, InstallLookout(folder.Path()));
    if (presses.publishedLate) {
        TwoPresses(screen, lookout, presses); // under Windows' limits: two presses
        publish();
    }
    TwoPresses(screen, lookout, presses);
    if (presses.doubleClick) {
        EXPECT_EQ(lookout.WaitForExit(5s), 0);
        return;
    }
    // Still there: it follows a drag.
    auto [left, top] = lookout.Position();
    Drag(screen, lookout, 1, {140, 60}, {30, 20});
    EXPECT_TRUE(Eventually([&] { return lookout.Position() == std::make_pair(left + 30, top + 20); }));
}

INSTANTIATE_TEST_SUITE_P(
    PublishedOrNot, DoubleClicks,
    ::testing::Values(Presses{"WindowsTime", std::nullopt, false, 650ms, 0, false},
                      Presses{"WindowsBox", std::nullopt, false, 100ms, 3, false},
                      Presses{"WithinWindowsLimits", std::nullopt, false, 300ms, 2, true},
                      Presses{"WithinTheDesktops", std::pair{900, 8}, false, 650ms, 4, true},
                      Presses{"BeyondTheDesktopsTime", std::pair{900, 8}, false, 1000ms, 0, false},
                      Presses{"BeyondTheDesktopsDistance", std::pair{900, 8}, false, 100ms, 9, false},
                      Presses{"PublishedWhileRunning", std::pair{900, 8}, true, 650ms, 4, true}),
    [](const auto& info) { return info.param.name; });

} // namespace
