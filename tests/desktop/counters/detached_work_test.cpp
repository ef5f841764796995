// Work left running by a closed window: the program's quit waits for it, and what it holds is
// let go before it counts as ended (so a provider can go right after the wait).
#include "desktop/counters/detached_work.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvane::desktop {
namespace {

// A gate the work waits at until the test opens it. Any thread.
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void Pass() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

TEST(DetachedWorkTest, QuittingTheApplicationWaitsForTheWorkStillRunning) {
  Gate gate;
  std::atomic<bool> ended = false;
  StartDetached([&] {
    gate.Pass();
    ended = true;
  });
  // The work is let through only once the quit has been asked for: without the wait at quit,
  // exec() would return while the work still runs.
  Gate quitting;
  std::thread opener([&] {
    quitting.Pass();
    gate.Open();
  });
  QTimer::singleShot(0, qApp, [&] {
    quitting.Open();
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  EXPECT_TRUE(ended);
  EXPECT_EQ(DetachedWorkRunning(), 0);
  opener.join();
}

// Notes, as it goes, how many pieces of work still count as running.
struct RunningWhenLetGo {
  std::atomic<int>* seen;
  ~RunningWhenLetGo() { *seen = DetachedWorkRunning(); }
};

TEST(DetachedWorkTest, WhatTheWorkHoldsIsLetGoBeforeItCountsAsEnded) {
  Gate gate;
  std::atomic<int> seen = -1;
  auto held = std::make_shared<RunningWhenLetGo>(&seen);
  StartDetached([&gate, held] { gate.Pass(); });
  held.reset();
  EXPECT_EQ(DetachedWorkRunning(), 1);
  gate.Open();
  WaitForDetachedWork();
  EXPECT_EQ(DetachedWorkRunning(), 0);
  EXPECT_EQ(seen, 1) << "let go after the wait could return, while its provider may be gone";
}

}  // namespace
}  // namespace corvane::desktop
