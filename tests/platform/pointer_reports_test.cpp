// The desktop's reports of the pointer, sent over a session bus of the test's own and read by
// the program's event loop.

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <filesystem>

#include "event_loop.h"
#include "pointer_reports.h"
#include "temp_folder.h"
#include "test_form.h"

using namespace std::chrono_literals;

namespace {

class Reports : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ConnectToTestScreen();
        folder = new TempFolder;
        const std::string socket = (folder->Path() / "bus").string();
        bus = Spawn({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket});
        ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(socket); }));
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
        ASSERT_GE(sd_bus_open_user(&desktop), 0);
        reports = ServedReports();
    }
    static void TearDownTestSuite()
    {
        sd_bus_flush_close_unref(desktop);
        StopGroup(bus);
        delete folder;
    }
    void SetUp() override { ASSERT_NE(reports, nullptr) << "org.lookout.Pointer not served"; }

    // Sends as a desktop's reporter does, wanting no reply, and waits for the loop to take it.
    template <typename... Values>
    static bool Send(const char* member, const char* types, Values... values)
    {
        unsigned long before = reports->Reports();
        sd_bus_message* message = nullptr;
        bool sent = sd_bus_message_new_method_call(desktop, &message, pointerBusName, pointerObjectPath,
                                                   pointerInterface, member) >= 0 &&
                    sd_bus_message_append(message, types, values...) >= 0 &&
                    sd_bus_message_set_expect_reply(message, 0) >= 0 && sd_bus_send(desktop, message, nullptr) >= 0 &&
                    sd_bus_flush(desktop) >= 0;
        sd_bus_message_unref(message);
        // A call that is no report is known to have been handled once a later one has come.
        return sent && Eventually([&] {
                   DoEvents();
                   return reports->Reports() != before;
               }, 1s);
    }

    static inline TempFolder* folder = nullptr;
    static inline pid_t bus = -1;
    static inline sd_bus* desktop = nullptr;
    static inline PointerReports* reports = nullptr;
};

// As lookout's GNOME Shell extension sends them, and as fractions from a KWin script.
TEST_F(Reports, ReachTheLoopAsWholeNumbersOrFractionsAndMapOntoTheRoot)
{
    ASSERT_TRUE(Send("Moved", "iiii", 100, 50, 640, 400));
    EXPECT_TRUE(reports->Active());
    EXPECT_EQ(reports->Latest({1280, 800}), (RootPoint{200, 100}));
    ASSERT_TRUE(Send("Moved", "dddd", 10.5, 20.0, 1280.0, 800.0));
    EXPECT_EQ(reports->Latest({1280, 800}), (RootPoint{10, 20}));
}

// Stopped, or without a screen: nothing told until the next motion.
TEST_F(Reports, StopUntilTheNextMotionAndWithoutAScreenTellNothing)
{
    ASSERT_TRUE(Send("Moved", "iiii", 1, 2, 640, 400));
    ASSERT_FALSE(Send("Stopped", ""));
    EXPECT_FALSE(reports->Active());
    ASSERT_TRUE(Send("Moved", "iiii", 3, 4, 640, 400));
    EXPECT_TRUE(reports->Active());
    EXPECT_EQ(reports->Latest({640, 400}), (RootPoint{3, 4}));
    ASSERT_TRUE(Send("Moved", "iiii", 5, 5, 0, 0));
    EXPECT_FALSE(reports->Active());
}

TEST_F(Reports, OfAnotherShapeAreNoReports)
{
    ASSERT_TRUE(Send("Moved", "iiii", 7, 8, 640, 400));
    EXPECT_FALSE(Send("Moved", "ii", 9, 9));
    EXPECT_FALSE(Send("Moved", "uuuu", 9u, 9u, 640u, 400u));
    EXPECT_EQ(reports->Latest({640, 400}), (RootPoint{7, 8}));
}

} // namespace
