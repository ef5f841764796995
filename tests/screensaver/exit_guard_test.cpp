// The fast exit: the watchdog ends the process when the window's thread does not, and does
// nothing once disarmed.
#include "screensaver/exit_guard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace corvane::screensaver {
namespace {

using std::chrono::milliseconds;

TEST(ExitGuardDeathTest, WatchdogEndsAStuckProcessWithTheCodeAfterFlushing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ExitGuard guard(milliseconds(50), {}, [] { std::fputs("flushed\n", stderr); });
        guard.RequestExit(3);
        guard.RequestExit(4);                                   // the first code wins
        std::this_thread::sleep_for(std::chrono::seconds(20));  // the collector, stuck
      },
      testing::ExitedWithCode(3), "flushed");
}

TEST(ExitGuardTest, QuitIsAskedOnceAndDisarmingKeepsTheProcess) {
  std::atomic<int> quits = 0;
  {
    ExitGuard guard(milliseconds(200), [&] { ++quits; }, {});
    EXPECT_FALSE(guard.requested());
    EXPECT_EQ(guard.Remaining(), milliseconds(0));
    guard.RequestExit(0);
    guard.RequestExit(0);
    EXPECT_TRUE(guard.requested());
    EXPECT_GT(guard.Remaining(), milliseconds(0));
    EXPECT_LE(guard.Remaining(), milliseconds(200));
  }  // destroyed before the deadline: the test goes on
  EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace corvane::screensaver
