// Two presses end lookout as a double-click within the desktop's limits (XSETTINGS, followed
// while lookout runs) or Windows' where the desktop publishes none; beyond them they are two presses.

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#include "running_lookout.h"

namespace {

using namespace std::chrono_literals;

// xsettingsd publishing a double-click time and distance on a screen, until the object goes.
class PublishedSettings {
public:
    PublishedSettings(const VirtualScreen& screen, std::pair<int, int> limits) : display_(screen.Connection())
    {
        Write(limits);
        pid_ = Spawn({"xsettingsd", "-c", File()}, {"DISPLAY=" + screen.Name()});
        Atom selection = XInternAtom(display_, "_XSETTINGS_S0", False);
        if (!Eventually([&] { return (owner_ = XGetSelectionOwner(display_, selection)) != None; }))
            throw std::runtime_error("xsettingsd publishes nothing");
    }
    ~PublishedSettings() { StopGroup(pid_); }

    // New settings, read again on a hang-up: published once the list's serial has changed.
    void Change(std::pair<int, int> limits)
    {
        Atom property = XInternAtom(display_, "_XSETTINGS_SETTINGS", False);
        auto serial = [&] {
            unsigned char* data = nullptr;
            Atom type;
            int format;
            unsigned long items = 0, after;
            XGetWindowProperty(display_, owner_, property, 0, 4, False, property, &type, &format, &items, &after, &data);
            std::string bytes(reinterpret_cast<char*>(data), items);
            XFree(data);
            return bytes;
        };
        std::string before = serial();
        Write(limits);
        kill(pid_, SIGHUP);
        if (!Eventually([&] { return serial() != before; }))
            throw std::runtime_error("xsettingsd published no change");
    }

private:
    std::string File() const { return (folder_.Path() / "xsettingsd.conf").string(); }
    void Write(std::pair<int, int> limits)
    {
        WriteBytes(File(), "Net/DoubleClickTime " + std::to_string(limits.first) + "\nNet/DoubleClickDistance " +
                               std::to_string(limits.second) + "\n");
    }
    TempFolder folder_;
    Display* display_;
    Window owner_ = None;
    pid_t pid_ = -1;
};

enum class Published { never, atStart, whileRunning, changedWhileRunning };

struct Presses {
    const char* name;
    Published published; // whileRunning and changedWhileRunning: after a first pair of presses
    std::pair<int, int> limits; // milliseconds, pixels
    std::chrono::milliseconds apart;
    int pixelsApart;
    bool doubleClick;
};

class DoubleClicks : public ::testing::TestWithParam<Presses> {};

TEST_P(DoubleClicks, EndLookoutOnlyWithinTheLimits)
{
    const Presses& presses = GetParam();
    VirtualScreen& screen = SharedScreen();
    TempFolder folder;
    std::optional<PublishedSettings> settings;
    if (presses.published == Published::atStart)
        settings.emplace(screen, presses.limits);
    if (presses.published == Published::changedWhileRunning)
        settings.emplace(screen, std::pair{300, 2}); // limits the presses exceed
    RunningLookout lookout(screen, InstallLookout(folder.Path()));
    if (presses.published == Published::whileRunning || presses.published == Published::changedWhileRunning) {
        // Beyond the limits before: two presses.
        TwoPresses(screen, lookout, {91, 100}, presses.apart, presses.pixelsApart);
        if (settings)
            settings->Change(presses.limits);
        else
            settings.emplace(screen, presses.limits);
    }
    TwoPresses(screen, lookout, {91, 100}, presses.apart, presses.pixelsApart);
    if (presses.doubleClick) {
        EXPECT_EQ(lookout.WaitForExit(5s), 0);
        return;
    }
    // Still there: it follows a drag.
    auto [left, top] = lookout.Position();
    Drag(screen, lookout, 1, {140, 60}, {30, 20});
    EXPECT_TRUE(Eventually([&] { return lookout.Position() == std::make_pair(left + 30, top + 20); }))
        << "from " << left << "," << top << " to " << lookout.Position().first << "," << lookout.Position().second;
}

INSTANTIATE_TEST_SUITE_P(
    PublishedOrNot, DoubleClicks,
    ::testing::Values(Presses{"WindowsTime", Published::never, {}, 650ms, 0, false},
                      Presses{"WindowsBox", Published::never, {}, 100ms, 3, false},
                      Presses{"WithinWindowsLimits", Published::never, {}, 300ms, 2, true},
                      Presses{"WithinTheDesktops", Published::atStart, {900, 8}, 650ms, 4, true},
                      Presses{"BeyondTheDesktopsTime", Published::atStart, {900, 8}, 1000ms, 0, false},
                      Presses{"BeyondTheDesktopsDistance", Published::atStart, {900, 8}, 100ms, 9, false},
                      Presses{"PublishedWhileRunning", Published::whileRunning, {900, 8}, 650ms, 4, true},
                      Presses{"ChangedWhileRunning", Published::changedWhileRunning, {900, 8}, 650ms, 4, true}),
    [](const auto& info) { return info.param.name; });

} // namespace
