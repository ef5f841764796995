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

TEST(DetachedWorkTest, WhatTheWorkHoldsIsLetGoBeforeTheWaitReturns) {
  Gate gate;
  auto held = std::make_shared<int>(1);
  const std::weak_ptr<int> watch = held;
  for (int i = 0; i < 3; ++i) StartDetached([&gate, held] { gate.Pass(); });
  held.reset();
  EXPECT_EQ(DetachedWorkRunning(), 3);
  EXPECT_FALSE(watch.expired());
  gate.Open();
  WaitForDetachedWork();
  EXPECT_EQ(DetachedWorkRunning(), 0);
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace corvane::desktop
