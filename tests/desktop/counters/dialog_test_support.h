// Helpers for the counters dialog tests: an engine over the scripted provider with counters,
// finding the dialogs' widgets by the names a user and a screen reader know them by, the shared
// drivers for the modal windows a click opens (message boxes, the remote host dialog, the
// counter browser), and a machine slow to answer. Test thread only, unless a type says else.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "desktop/counters/detached_work.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/qt/message_box_answerer.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::dialog_test {

template <typename T>
T* Find(QWidget* root, const char* name) {
  T* widget = root->findChild<T*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// A push button by the caption the user reads, a text field by the name a screen reader gives it.
inline QPushButton* Button(QWidget* root, const char* caption) {
  return qt_test::FindAccessible<QPushButton>(root, QAccessible::Button,
                                              QString::fromUtf8(caption));
}
inline QLineEdit* Field(QWidget* root, const char* name) {
  return qt_test::FindAccessible<QLineEdit>(root, QAccessible::EditableText,
                                            QString::fromUtf8(name));
}

using qt_test::MessageBoxAnswerer;
using qt_test::TypeInto;

inline std::string PathOf(int i) {
  return "\\Processor(" + std::to_string(i) + ")\\% Processor Time";
}

// An interactive engine over the fake provider with n counters "c1".."cn" on PathOf(0..n-1).
struct EngineFixture {
  explicit EngineFixture(int n = 3) : engine(provider, true) {
    engine.RemoveAllAxes();
    for (int i = 0; i < n; ++i) AddCounter("c" + std::to_string(i + 1), PathOf(i));
    engine.SetModified(false);
  }
  void AddCounter(const std::string& name, const std::string& path, double max = 100,
                  double critical = 80) {
    provider.ScriptValue(path, 1.0);
    engine.AddAxis(name, "", false, 0, max, critical, 1, new CounterItem(path));
  }
  fake::FakeProvider provider;
  desktop::DetachedWorkDrain drain;  // the dialogs' workers end before the provider goes
  Corvane engine;
};

// A machine that is slow to answer for as long as the test wants: EnumObjects and
// EnumMachines wait until Release (the destructor releases too). Once released, it lists the
// objects "Memory" and "Processor", each with one counter, and one server instance. Any thread.
class BlockingProvider final : public perf::Provider {
 public:
  ~BlockingProvider() override { Release(); }

  perf::Status OpenQuery(std::unique_ptr<perf::Query>*) override { return perf::kNoData; }
  perf::Status ConnectMachine(std::string_view) override { return perf::kNoMachine; }
  perf::Status LookupNameByIndex(std::string_view, std::uint32_t, std::string*) override {
    return perf::kStringNotFound;
  }
  perf::Status EnumObjects(std::string_view, std::vector<std::string>* objects) override {
    Block();
    *objects = {"Memory", "Processor"};
    return perf::kOk;
  }
  perf::Status EnumObjectItems(std::string_view, std::string_view,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override {
    std::lock_guard lock(mutex_);
    ++items_read_;
    *counters = {"Count"};
    instances->clear();
    return perf::kOk;
  }
  perf::Status EnumMachines(std::vector<perf::MachineListing>* machines) override {
    Block();
    *machines = {{"web-1:9100", "node", true}};
    return perf::kOk;
  }

  // Waits until `calls` calls are held at once; false after a minute.
  bool WaitUntilHeld(int calls) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return held_ >= calls; });
  }
  int Held() {
    std::lock_guard lock(mutex_);
    return held_;
  }
  int ItemsRead() {
    std::lock_guard lock(mutex_);
    return items_read_;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  void Block() {
    std::unique_lock lock(mutex_);
    ++held_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
    --held_;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int held_ = 0;
  int items_read_ = 0;
  bool released_ = false;
};

// Runs `close` while the provider holds `held` calls, and says whether it returned without
// them: a close that waits for a held call would hang, so after a minute a watchdog releases
// the provider and the answer is false.
inline bool ClosesWithoutWaiting(BlockingProvider& provider, int held,
                                 const std::function<void()>& close) {
  std::mutex mutex;
  std::condition_variable closed;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (!closed.wait_for(lock, std::chrono::minutes(1), [&] { return done; })) provider.Release();
  });
  close();
  const bool still_held = provider.Held() == held;
  {
    std::lock_guard lock(mutex);
    done = true;
    closed.notify_all();
  }
  watchdog.join();
  return still_held;
}

// The machine answers: the work left behind ends, and what it posted is delivered (to nobody).
inline void ReleaseAndSettle(BlockingProvider& provider) {
  provider.Release();
  desktop::WaitForDetachedWork();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(desktop::DetachedWorkRunning(), 0);
}

}  // namespace corvane::dialog_test
