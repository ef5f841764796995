#include "desktop/collector/collector_stopper.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <optional>

#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane::desktop {
namespace {

using namespace std::chrono_literals;

class CollectorStopperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.SetUpNewProfile();
    fake_.ScriptValue("\\Processor(_Total)\\% Processor Time", 5.0);
    fake_.ScriptValue("\\\\slow\\Processor(_Total)\\% Processor Time", 5.0);
  }
  void TearDown() override {
    fake_.ReleaseDelays();
    testing_support::WaitFor([&] { return engine_.Stop(); });
  }
  // A collector in a collection that takes 300 ms (it ends once that returns), or one still
  // connecting a machine that answers after 30 s (it refuses a stop until then).
  void StartCollector(bool connecting) {
    engine_.RemoveAllAxes();
    const std::string path = connecting ? "\\\\slow\\Processor(_Total)\\% Processor Time"
                                        : "\\Processor(_Total)\\% Processor Time";
    testing_support::AddCounterAxis(engine_, "cpu", path);
    if (connecting) {
      fake_.ScriptConnect("\\\\slow", perf::kOk, 30s);
    } else {
      fake_.ScriptCollections({{perf::kOk, 300ms}});
    }
    ASSERT_TRUE(engine_.Start(&window_, false));
    ASSERT_TRUE(testing_support::WaitFor([&] { return fake_.Counts().calls_in_delay == 1; }));
  }

  fake::FakeProvider fake_;
  Corvane engine_{fake_, true};
  testing_support::RecordingWindow window_;
};

TEST_F(CollectorStopperTest, ACollectorThatDoesNotRunStopsBeforeStopReturns) {
  CollectorStopper stopper(engine_);
  QSignalSpy stopped(&stopper, &CollectorStopper::stopped);
  std::optional<bool> outcome;
  EXPECT_TRUE(stopper.Stop([&](bool ended) { outcome = ended; }));
  EXPECT_EQ(outcome, true);
  EXPECT_EQ(stopped.count(), 1);
  EXPECT_FALSE(stopper.IsPending());
}

TEST_F(CollectorStopperTest, OutcomesOfARunningAndOfAStartingCollector) {
  struct Case {
    const char* name;
    bool connecting;
    bool ends;
    std::chrono::milliseconds limit;
  };
  // The connecting case comes last: releasing its delay skips every later one.
  for (const Case& c :
       {Case{"collecting", false, true, 3000ms}, Case{"connecting", true, false, 300ms}}) {
    SCOPED_TRACE(c.name);
    engine_.SetStopLimit(c.limit);
    StartCollector(c.connecting);
    QWidget waiting;
    CollectorStopper stopper(engine_);
    stopper.SetWaitingWidget(&waiting);
    QSignalSpy stopped(&stopper, &CollectorStopper::stopped);
    QSignalSpy gave_up(&stopper, &CollectorStopper::gaveUp);
    std::optional<bool> outcome;
    ASSERT_TRUE(stopper.Stop([&](bool ended) { outcome = ended; }));
    // The stop waits in the event loop: nothing is decided yet, the waiting window is off
    // and a second stop is refused.
    EXPECT_TRUE(stopper.IsPending());
    EXPECT_FALSE(outcome.has_value());
    EXPECT_FALSE(waiting.isEnabled());
    EXPECT_FALSE(stopper.Stop());
    QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 5000);
    EXPECT_EQ(*outcome, c.ends);
    EXPECT_EQ(stopped.count(), c.ends ? 1 : 0);
    EXPECT_EQ(gave_up.count(), c.ends ? 0 : 1);
    EXPECT_TRUE(waiting.isEnabled());
    EXPECT_FALSE(stopper.IsPending());
    // A collector that ended can be started again; one that gave up still runs.
    EXPECT_EQ(engine_.Start(&window_, false), c.ends);
    if (c.connecting) fake_.ReleaseDelays();
    ASSERT_TRUE(testing_support::WaitFor([&] { return engine_.Stop(); }));
  }
}

}  // namespace
}  // namespace corvane::desktop
