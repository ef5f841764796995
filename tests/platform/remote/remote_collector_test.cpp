// The engine's collector over a real prometheus-node-exporter: a host that hangs or stops
// makes its counters "not available" and never keeps Stop waiting past its 5 seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "chart/value_state.h"
#include "core/corvane_settings.h"
#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/system_provider.h"
#include "tests/platform/remote/node_exporter_process.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using remote::testing::NodeExporterProcess;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

chart::ValueState CurrentState(const Corvane& engine, int axis) {
  chart::ValueState state = chart::ValueState::kNotAvailable;
  engine.GetValueState(axis, &state, Corvane::kCurrentSeries);
  return state;
}

class RemoteCollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NodeExporterProcess::Installed())
      GTEST_SKIP() << NodeExporterProcess::kBinary
                   << " is not installed (Debian package prometheus-node-exporter)";
    std::string error;
    ASSERT_TRUE(exporter_.Start({"--collector.processes"}, &error)) << error;
    // A silent engine, as the service runs it: one-second samples, no log.
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    CorvaneSettings settings = engine_.GetSettings();
    settings.LogMode = log_mode::kOff;
    settings.Interval = 1;
    engine_.SetSettings(settings);
    for (const char* rest : {"\\Memory\\% Committed Bytes In Use", "\\Objects\\Processes",
                             "\\Processor(_Total)\\% Processor Time"}) {
      ASSERT_TRUE(engine_.AddAxis(rest, "", false, 0, 1000, 900, 1,
                                  new CounterItem(exporter_.Machine() + rest)));
    }
  }

  void TearDown() override {
    exporter_.Resume();
    EXPECT_TRUE(WaitFor([&] { return engine_.Stop(); }, 10s));
  }

  bool Shown(int axis) { return CurrentState(engine_, axis) != chart::ValueState::kNotAvailable; }
  // Every counter shows a reading taken after `samples` earlier samples (the state before the
  // first sample is no reading).
  bool AllShownAfter(int samples) {
    return engine_.GetSampleCount() > samples && Shown(0) && Shown(1) && Shown(2);
  }

  NodeExporterProcess exporter_;
  std::unique_ptr<perf::Provider> provider_ = MakeSystemProvider();
  Corvane engine_{*provider_, false};
};

TEST_F(RemoteCollectorTest, AHungHostShowsNotAvailableAndStopStillEndsTheCollector) {
  ASSERT_TRUE(engine_.Start(nullptr, false));
  ASSERT_TRUE(WaitFor([&] { return AllShownAfter(1); }, 15s)) << "the remote counters were read";

  exporter_.Freeze();
  // The pass that meets the hung host ends with its time-out and shows the counters as N/A.
  ASSERT_TRUE(WaitFor([&] { return !Shown(0) && !Shown(1) && !Shown(2); }, 10s));
  // The next pass hangs again; Stop in the middle of it still ends the collector.
  std::this_thread::sleep_for(1500ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(engine_.Stop()) << "the collector ended within Stop's 5 seconds";
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(RemoteCollectorTest, AStoppedHostShowsNotAvailableUntilItReturns) {
  ASSERT_TRUE(engine_.Start(nullptr, false));
  ASSERT_TRUE(WaitFor([&] { return AllShownAfter(1); }, 15s)) << "the remote counters were read";
  const std::uint16_t port = exporter_.port();
  exporter_.Stop();
  ASSERT_TRUE(WaitFor([&] { return !Shown(0) && !Shown(1) && !Shown(2); }, 5s));
  std::string error;
  ASSERT_TRUE(exporter_.Start({"--collector.processes"}, &error, port)) << error;
  const int samples = engine_.GetSampleCount();
  EXPECT_TRUE(WaitFor([&] { return AllShownAfter(samples); }, 5s)) << "read again on return";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(engine_.Stop());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace corvane
