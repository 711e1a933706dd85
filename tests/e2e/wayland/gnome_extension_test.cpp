// lookout's GNOME Shell extension as lookout hears it: the test takes lookout's bus name and
// counts the reports while it moves the pointer, and measures their delay and the shell's CPU.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "wayland_desktop.h"

using namespace std::chrono_literals;

namespace {

class GnomeExtension : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        try {
            desktop = StartDesktop("gnome").release();
        } catch (const std::exception& error) {
            failure = error.what();
            return;
        }
        usleep(1000000); // the start's own work done
        restingWithoutLookout = ShellPercent(5s);
    }
    static void TearDownTestSuite()
    {
        if (listener > 0) {
            fclose(toListener);
            fclose(fromListener);
            StopGroup(listener);
        }
        delete desktop;
    }
    void SetUp() override
    {
        ASSERT_NE(desktop, nullptr) << "GNOME Shell did not start: " << failure;
        if (listener < 0)
            StartListener();
    }

    // A second gnome_remote, in lookout's place on the bus.
    static void StartListener()
    {
        int in[2], out[2];
        ASSERT_EQ(pipe(in), 0);
        ASSERT_EQ(pipe(out), 0);
        listener = fork();
        if (listener == 0) {
            setpgid(0, 0);
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            for (const std::string& variable : desktop->ClientEnvironment())
                putenv(const_cast<char*>(variable.c_str()));
            execl(LOOKOUT_GNOME_REMOTE, LOOKOUT_GNOME_REMOTE, nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toListener = fdopen(in[1], "w");
        fromListener = fdopen(out[0], "r");
        ASSERT_EQ(Ask("own"), "ok");
    }
    static std::string Ask(const std::string& command)
    {
        char answer[256] = "";
        std::fprintf(toListener, "%s\n", command.c_str());
        std::fflush(toListener);
        if (!std::fgets(answer, sizeof answer, fromListener))
            return "ended";
        std::string line = answer;
        return line.substr(0, line.find('\n'));
    }
    struct Heard {
        long reports = 0;
        int x = 0, y = 0;
    };
    static Heard Reports()
    {
        Heard heard;
        std::string ok;
        std::istringstream(Ask("reports")) >> ok >> heard.reports >> heard.x >> heard.y;
        return heard;
    }
    // The shell's share of a core over that time.
    static double ShellPercent(std::chrono::seconds time)
    {
        const long before = ShellTicks();
        usleep(std::chrono::duration_cast<std::chrono::microseconds>(time).count());
        return 100.0 * (ShellTicks() - before) / sysconf(_SC_CLK_TCK) / time.count();
    }
    // The shell's processor time so far, in clock ticks.
    static long ShellTicks()
    {
        std::ifstream stat("/proc/" + std::to_string(desktop->CompositorPid()) + "/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        long user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                user = std::stol(field);
            if (i == 15)
                system = std::stol(field);
        }
        return user + system;
    }

    static WaylandDesktop* desktop;
    static std::string failure;
    static double restingWithoutLookout;
    static pid_t listener;
    static FILE* toListener;
    static FILE* fromListener;
};
WaylandDesktop* GnomeExtension::desktop = nullptr;
std::string GnomeExtension::failure;
double GnomeExtension::restingWithoutLookout = 0;
pid_t GnomeExtension::listener = -1;
FILE* GnomeExtension::toListener = nullptr;
FILE* GnomeExtension::fromListener = nullptr;

TEST_F(GnomeExtension, ReportsWhereThePointerRestsAsSoonAsLookoutAppears)
{
    Heard heard;
    EXPECT_TRUE(Eventually([&] { return (heard = Reports()).reports >= 1; }, 2s)) << "no report";
    desktop->MovePointer(300, 200);
    EXPECT_TRUE(Eventually([&] {
        heard = Reports();
        return heard.x == 300 && heard.y == 200;
    })) << "last heard at " << heard.x << "," << heard.y;
}

TEST_F(GnomeExtension, ReportsNothingWhileThePointerRests)
{
    Eventually([] { return Reports().reports >= 1; }, 2s);
    usleep(200000); // the tick after the last motion
    long before = Reports().reports;
    const double resting = ShellPercent(5s);
    EXPECT_EQ(Reports().reports, before);
    std::printf("GNOME Shell at rest: %.2f %% of a core with lookout listening, %.2f %% before it came (5 s each)\n",
                resting, restingWithoutLookout);
    RecordProperty("shell_cpu_percent_at_rest", std::to_string(resting));
}

TEST_F(GnomeExtension, ReportsAtMostOnceATickWhileItMoves)
{
    desktop->MovePointer(200, 300);
    usleep(200000);
    const long before = Reports().reports;
    auto start = std::chrono::steady_clock::now();
    for (int x = 200; x < 1000; x += 2) // a motion every few milliseconds, each answered by the shell
        desktop->MovePointer(x, 300);
    double ticks = std::chrono::duration<double>(std::chrono::steady_clock::now() - start) / 70ms;
    Heard heard;
    ASSERT_TRUE(Eventually([&] { return (heard = Reports()).x == 998; })) << "the last place never reported";
    const long reports = heard.reports - before;
    std::printf("GNOME Shell extension: %ld reports in %.1f ticks of motion\n", reports, ticks);
    EXPECT_LE(reports, ticks + 2);
    EXPECT_GE(reports, ticks / 2) << "over " << ticks << " ticks";
}

TEST_F(GnomeExtension, ReportsAMotionWithinMilliseconds)
{
    std::vector<long> microseconds;
    for (int i = 0; i < 20; ++i) {
        std::istringstream answer(Ask(i % 2 ? "latency -1" : "latency 1"));
        std::string ok;
        long latency = -1;
        answer >> ok >> latency;
        ASSERT_EQ(ok, "ok") << answer.str();
        microseconds.push_back(latency);
    }
    std::sort(microseconds.begin(), microseconds.end());
    std::printf("GNOME Shell extension: a motion reported after %.1f ms (median), %.1f ms (worst of 20)\n",
                microseconds[10] / 1000.0, microseconds.back() / 1000.0);
    RecordProperty("report_latency_median_us", std::to_string(microseconds[10]));
    EXPECT_LT(microseconds[10], 70000) << "more than a tick";
}

} // namespace
