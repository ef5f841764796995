#include "platform/linux/host/signal_watcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/linux/host/stop_event.h"

namespace corvane::host {
namespace {

// Each case runs in a child process of its own: the signals are real and go to the whole
// process, and the child's exit status tells what happened to them.
class SignalWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SignalWatcherTest, TurnsAnInterruptIntoTheStopEvent) {
  EXPECT_EXIT(
      {
        StopEvent stop;
        std::atomic<int> received{0};
        auto watcher = SignalWatcher::Start({SIGINT, SIGQUIT}, [&](int signal) {
          received = signal;
          stop.Set();
        });
        if (!watcher.ok()) _exit(2);
        kill(getpid(), SIGQUIT);
        stop.Wait();
        _exit(received == SIGQUIT ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(SignalWatcherTest, HandlesEverySignalOnTheWatchersThread) {
  EXPECT_EXIT(
      {
        std::atomic<int> count{0};
        std::atomic<bool> other_thread{true};
        const std::thread::id main_thread = std::this_thread::get_id();
        auto watcher = SignalWatcher::Start({SIGINT}, [&](int) {
          if (std::this_thread::get_id() == main_thread) other_thread = false;
          ++count;
        });
        if (!watcher.ok()) _exit(2);
        for (int i = 0; i < 3; ++i) {
          const int before = count;
          kill(getpid(), SIGINT);
          // Signals of one kind that are pending together merge, so wait for each.
          while (count == before) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        _exit(count == 3 && other_thread ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(SignalWatcherTest, RestoresTheDefaultActionWhenDestroyed) {
  EXPECT_EXIT(
      {
        {
          auto watcher = SignalWatcher::Start({SIGTERM}, [](int) {});
          if (!watcher.ok()) _exit(2);
        }
        kill(getpid(), SIGTERM);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        _exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(StopEvent, WaitReturnsOnceSetFromAnotherThread) {
  StopEvent stop;
  EXPECT_FALSE(stop.IsSet());
  std::thread setter([&] { stop.Set(); });
  stop.Wait();
  setter.join();
  EXPECT_TRUE(stop.IsSet());
  stop.Wait();  // manual reset: stays set, so a second wait returns too
  EXPECT_TRUE(stop.IsSet());
}

}  // namespace
}  // namespace corvane::host
