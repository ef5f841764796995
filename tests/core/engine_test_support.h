// Helpers for the engine tests: the engine fixture, a snapshot of an engine's axes, a window,
// a message sink and an alert sink that record what the collector asks of them, a fixed
// screen, an in-memory profile writer, a temporary folder and a bounded wait. The recorders
// are thread-safe; the rest is test-thread only.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "chart/profile_writer.h"
#include "core/counter_item.h"
#include "core/engine.h"
#include "core/engine_host.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/temp_folder.h"

namespace corvane::testing_support {

struct AxisInfo {
  std::string name;
  bool inverse = false;
  double min = 0, max = 0, critical = 0, multiplier = 0;
  std::string path;

  bool operator==(const AxisInfo&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const AxisInfo& a) {
  return out << "{" << a.name << ", inverse " << a.inverse << ", " << a.min << "/" << a.max << "/"
             << a.critical << " x" << a.multiplier << ", " << a.path << "}";
}

inline std::vector<AxisInfo> Axes(const Corvane& engine) {
  std::vector<AxisInfo> axes;
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    AxisInfo a;
    chart::Text name;
    engine.GetAxisName(i, &name);
    a.name = std::string(name.value_or("<none>"));
    engine.GetAxisInverse(i, &a.inverse);
    engine.GetAxisMin(i, &a.min);
    engine.GetAxisMax(i, &a.max);
    engine.GetAxisCritical(i, &a.critical);
    engine.GetAxisMultiplier(i, &a.multiplier);
    a.path = engine.GetCounterPath(i);
    axes.push_back(a);
  }
  return axes;
}

// One axis's value and state in one series; a getter that refuses fails the case.
struct Shown {
  double value = 0;
  chart::ValueState state = chart::ValueState::kNormal;
};

inline Shown SeriesAt(const Corvane& engine, int axis, int series) {
  Shown shown;
  EXPECT_TRUE(engine.GetSeriesValue(axis, &shown.value, series));
  EXPECT_TRUE(engine.GetValueState(axis, &shown.state, series));
  return shown;
}

inline std::vector<std::string> AxisNames(const Corvane& engine) {
  std::vector<std::string> names;
  for (const AxisInfo& a : Axes(engine)) names.push_back(a.name);
  return names;
}

// Adds a plain axis (0..100, critical 80) carrying a counter path.
inline bool AddCounterAxis(Corvane& engine, const std::string& name, const std::string& path,
                           double max = 100, double critical = 80, double multiplier = 1,
                           bool inverse = false) {
  return engine.AddAxis(name, "", inverse, 0, max, critical, multiplier, new CounterItem(path));
}

class RecordingWindow : public EngineWindow {
 public:
  void Invalidate(bool erase) override {
    std::lock_guard lock(mutex_);
    calls_.push_back({erase, std::chrono::steady_clock::now()});
  }
  int Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(calls_.size());
  }
  std::vector<std::chrono::steady_clock::time_point> Times() const {
    std::lock_guard lock(mutex_);
    std::vector<std::chrono::steady_clock::time_point> times;
    for (const Call& call : calls_) times.push_back(call.when);
    return times;
  }
  bool AllErase() const {
    std::lock_guard lock(mutex_);
    for (const Call& call : calls_)
      if (!call.erase) return false;
    return true;
  }

 private:
  struct Call {
    bool erase;
    std::chrono::steady_clock::time_point when;
  };
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

class RecordingSink : public MessageSink {
 public:
  void ShowMessage(const EngineMessage& message) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
  }
  std::vector<EngineMessage> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<EngineMessage> messages_;
};

class FixedScreen : public ScreenInfo {
 public:
  explicit FixedScreen(ScreenSize size) : size_(size) {}
  ScreenSize PrimaryScreenSize() const override { return size_; }

 private:
  ScreenSize size_;
};

// Keeps every call's events as plain copies.
class RecordingAlertSink : public AlertSink {
 public:
  struct Event {
    int axis;
    bool entered;
    bool stopped;
    bool available;
    double value;
    double critical;
    std::string name;
    std::string path;
  };
  struct Call {
    std::vector<Event> events;
    int in_alert;
  };

  void AlertsChanged(std::span<const AlertEvent> changes, int in_alert) override {
    Call call{{}, in_alert};
    for (const AlertEvent& e : changes) {
      call.events.push_back(Event{e.axis, e.entered, e.stopped, e.available, e.value, e.critical,
                                  std::string(e.name), std::string(e.counter_path)});
    }
    const std::lock_guard<std::mutex> hold(mutex_);
    calls_.push_back(std::move(call));
  }
  std::vector<Call> Calls() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return calls_;
  }

 private:
  std::mutex mutex_;
  std::vector<Call> calls_;
};

// Records the lines a profile hook writes, in the file's own notation.
class MemoryProfileWriter : public chart::ProfileWriter {
 public:
  bool WriteInteger(std::string_view key, std::int32_t value) override {
    return Add(std::string(key) + "=" + std::to_string(value));
  }
  bool WriteText(std::string_view key, std::string_view value) override {
    return Add(std::string(key) + "=" + std::string(value));
  }
  bool WriteReal(std::string_view key, double value) override {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return Add(std::string(key) + "=" + text);
  }
  bool WriteLine(std::string_view text) override { return Add(std::string(text)); }

  std::vector<std::string> lines;
  int fail_after = -1;  // lines accepted before every write fails; -1: never fails

 private:
  bool Add(std::string line) {
    if (fail_after >= 0 && static_cast<int>(lines.size()) >= fail_after) return false;
    lines.push_back(std::move(line));
    return true;
  }
};

using TempDir = test_support::TempFolder;

// Gives `engine` a new profile's three series with no axes and logging off.
inline void StartEmpty(Corvane& engine) {
  engine.SetUpNewProfile();
  engine.RemoveAllAxes();
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  engine.SetSettings(settings);
}

// What the fixture's engine is given besides the scripted provider; a piece left out is absent.
enum EnginePiece : unsigned {
  kBareEngine = 0,
  kMessageSink = 1u << 0,  // the recording message sink
  kAlertSink = 1u << 1,    // the recording alert sink
  kInteractive = 1u << 2,  // an engine that may show its messages
};

// One engine over the scripted provider, with the host pieces a case's suite chooses; without
// a screen the engine counts it as 1024 x 768. The engine is built with the fixture and is
// not started; the recorders it is given, and the window a case starts it with, outlive it. Test
// thread only, apart from what the recorders allow.
class EngineFixture : public ::testing::Test {
 protected:
  explicit EngineFixture(unsigned pieces = kBareEngine,
                         std::optional<ScreenSize> screen = std::nullopt)
      : screen_(screen.value_or(kNoScreenSize)),
        engine_(fake_, (pieces & kInteractive) != 0,
                EngineHost{(pieces & kMessageSink) != 0 ? &messages_ : nullptr,
                           screen ? &screen_ : nullptr, nullptr,
                           (pieces & kAlertSink) != 0 ? &alerts_ : nullptr}) {}

  void StartEmpty() { testing_support::StartEmpty(engine_); }

  // StartEmpty, then `axes` plain axes a0, a1, ... (0..100, critical 80) on \A\c0, \A\c1, ...
  void SetUpEngine(int axes) {
    StartEmpty();
    for (int i = 0; i < axes; ++i)
      ASSERT_TRUE(AddCounterAxis(engine_, "a" + std::to_string(i), "\\A\\c" + std::to_string(i)));
  }

  fake::FakeProvider fake_;
  FixedScreen screen_;
  RecordingSink messages_;
  RecordingAlertSink alerts_;
  RecordingWindow window_;
  Corvane engine_;
};

// Polls `done` every 2 ms until it holds or `limit` has passed; returns its last answer.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace corvane::testing_support
