// The alert rule: per counter, N consecutive critical samples start an alert and M consecutive
// normal samples end it; "not available" neither starts, continues nor ends one. Then the
// engine's use of it: one sink call per sample with all of its changes, the events' contents,
// the end of collecting, and the rule's profile keys.
#include "core/alert_rule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane {
namespace {

using chart::ValueState;
using testing_support::AddCounterAxis;
using testing_support::TempDir;

// 'C' critical, 'n' normal, '-' not available; the result has 'E' (entered), 'L' (left) or '.'.
std::string StepThrough(const std::string& samples, AlertRule rule) {
  AlertTracker tracker;
  std::string changes;
  for (const char c : samples) {
    const ValueState state = c == 'C'   ? ValueState::kCritical
                             : c == 'n' ? ValueState::kNormal
                                        : ValueState::kNotAvailable;
    switch (tracker.Step(state, rule)) {
      case AlertChange::kEntered:
        changes += 'E';
        break;
      case AlertChange::kLeft:
        changes += 'L';
        break;
      case AlertChange::kNone:
        changes += '.';
        break;
    }
  }
  return changes;
}

TEST(AlertRuleTest, SequencesOfSamples) {
  struct Case {
    const char* name;
    AlertRule rule;
    const char* samples;
    const char* changes;
  };
  const AlertRule standard{3, 2};
  const Case cases[] = {
      {"one spike never alerts", standard, "nnCnnn", "......"},
      {"two spikes apart", standard, "CCnCCn", "......"},
      {"three in a row alert", standard, "nCCC", "...E"},
      {"an alert is told once", standard, "CCCCCC", "..E..."},
      {"one normal sample does not end it", standard, "CCCnCC", "..E..."},
      {"two normal samples end it", standard, "CCCnn", "..E.L"},
      {"and it can start again", standard, "CCCnnCCC", "..E.L..E"},
      {"flapping below the threshold", standard, "CnCnCnCnCn", ".........."},
      {"flapping inside an alert keeps it", standard, "CCCnCnCnCnn", "..E.......L"},
      {"N/A breaks a rising run", standard, "CC-CC", "....."},
      {"N/A then three critical", standard, "CC-CCC", ".....E"},
      {"N/A alone never alerts", standard, "--------", "........"},
      {"N/A does not end an alert", standard, "CCC-----", "..E....."},
      {"N/A breaks the normal run", standard, "CCCn-nC", "..E...."},
      {"normal run after N/A ends it", standard, "CCCn-nn", "..E...L"},
      {"N = 1, M = 1", AlertRule{1, 1}, "CnCCnn", "ELE.L."},
      {"N = 5", AlertRule{5, 2}, "CCCCnCCCCC", ".........E"},
      {"M = 4", AlertRule{3, 4}, "CCCnnnCnnnn", "..E.......L"},
      {"numbers out of range count as 1", AlertRule{0, -3}, "Cn", "EL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StepThrough(c.samples, c.rule), c.changes) << c.name << ": " << c.samples;
  }
}

TEST(AlertRuleTest, ALongAlertStillEnds) {
  const std::string samples = std::string(500, 'C') + "nn";
  const std::string changes = StepThrough(samples, AlertRule{3, 2});
  EXPECT_EQ(changes.substr(0, 3), "..E");
  EXPECT_EQ(changes.back(), 'L');
  EXPECT_EQ(std::count(changes.begin(), changes.end(), 'E'), 1);
}

TEST(AlertRuleTest, StatesCountTheCountersInAlert) {
  AlertStates states;
  states.Prepare(3);
  const AlertRule rule{2, 1};
  for (int sample = 0; sample < 2; ++sample) {
    states.Step(0, ValueState::kCritical, rule);
    states.Step(1, ValueState::kCritical, rule);
    states.Step(2, ValueState::kNormal, rule);
  }
  EXPECT_EQ(states.AlertCount(), 2);
  EXPECT_TRUE(states.InAlert(1));
  EXPECT_FALSE(states.InAlert(2));
  EXPECT_FALSE(states.InAlert(3));  // no such counter
  EXPECT_EQ(states.Step(0, ValueState::kNormal, rule), AlertChange::kLeft);
  EXPECT_EQ(states.AlertCount(), 1);
  states.Prepare(3);  // collecting again starts with no alert
  EXPECT_EQ(states.AlertCount(), 0);
  EXPECT_FALSE(states.InAlert(1));
}

class EngineAlertTest : public testing_support::EngineFixture {
 protected:
  EngineAlertTest() : EngineFixture(testing_support::kAlertSink) {}

  void SetUp() override {
    StartEmpty();
    ASSERT_TRUE(AddCounterAxis(engine_, "CPU", "\\Processor(_Total)\\% Processor Time"));
    ASSERT_TRUE(AddCounterAxis(engine_, "Disk", "\\\\db1\\PhysicalDisk(_Total)\\% Disk Time"));
    // Bytes shown in KB: the event carries the shown value, in the critical value's units.
    ASSERT_TRUE(AddCounterAxis(engine_, "Memory", "\\Memory\\Committed Bytes", 100, 80, 1024));
    ASSERT_EQ(engine_.PrepareStatistics(), 3);
  }

  // One sample; a negative value is a counter without a reading.
  void Sample(double cpu, double disk, double memory) {
    const double values[] = {cpu, disk, memory};
    for (int i = 0; i < 3; ++i) {
      if (values[i] < 0) {
        engine_.SetUnavailable(i);
      } else {
        engine_.SetValue(i, values[i]);
      }
    }
    engine_.EndSample();
  }
};

TEST_F(EngineAlertTest, ABurstIsOneCallAndEventsCarryTheShownValues) {
  Sample(95, 90, 10 * 1024);
  Sample(95, 90, 10 * 1024);
  EXPECT_TRUE(alerts_.Calls().empty()) << "two critical samples are not an alert yet";
  Sample(96, 91, 10 * 1024);
  const auto calls = alerts_.Calls();
  ASSERT_EQ(calls.size(), 1U);
  EXPECT_EQ(calls[0].in_alert, 2);
  ASSERT_EQ(calls[0].events.size(), 2U);
  const auto& cpu = calls[0].events[0];
  EXPECT_EQ(cpu.axis, 0);
  EXPECT_TRUE(cpu.entered);
  EXPECT_TRUE(cpu.available);
  EXPECT_DOUBLE_EQ(cpu.value, 96);
  EXPECT_DOUBLE_EQ(cpu.critical, 80);
  EXPECT_EQ(cpu.name, "CPU");
  EXPECT_EQ(calls[0].events[1].path, "\\\\db1\\PhysicalDisk(_Total)\\% Disk Time");
  EXPECT_TRUE(engine_.IsInAlert(1));
  EXPECT_FALSE(engine_.IsInAlert(2));
  EXPECT_EQ(engine_.GetAlertCount(), 2);
}

TEST_F(EngineAlertTest, MultiplierAndNotAvailable) {
  for (int i = 0; i < 3; ++i) Sample(10, 10, 90 * 1024);
  ASSERT_EQ(alerts_.Calls().size(), 1U);
  EXPECT_DOUBLE_EQ(alerts_.Calls()[0].events[0].value, 90) << "in KB, as the axis shows it";
  // A counter without readings stays in alert: it never read normal.
  for (int i = 0; i < 5; ++i) Sample(10, 10, -1);
  EXPECT_EQ(alerts_.Calls().size(), 1U);
  EXPECT_TRUE(engine_.IsInAlert(2));
  Sample(10, 10, 1024);
  Sample(10, 10, 1024);
  const auto calls = alerts_.Calls();
  ASSERT_EQ(calls.size(), 2U);
  EXPECT_FALSE(calls[1].events[0].entered);
  EXPECT_FALSE(calls[1].events[0].stopped);
  EXPECT_DOUBLE_EQ(calls[1].events[0].value, 1);
  EXPECT_EQ(calls[1].in_alert, 0);
}

TEST_F(EngineAlertTest, TheProfilesNumbersApply) {
  CorvaneSettings s = engine_.GetSettings();
  s.AlertAfter = 1;
  s.AlertClear = 3;
  engine_.SetSettings(s);
  Sample(95, 10, 0);
  ASSERT_EQ(alerts_.Calls().size(), 1U) << "one critical sample is enough now";
  Sample(10, 10, 0);
  Sample(10, 10, 0);
  EXPECT_EQ(alerts_.Calls().size(), 1U);
  Sample(10, 10, 0);
  EXPECT_EQ(alerts_.Calls().size(), 2U);
}

TEST_F(EngineAlertTest, StoppingEndsTheAlertsThatRemain) {
  for (int i = 0; i < 3; ++i) Sample(95, 10, 0);
  engine_.ReleaseStatistics();
  const auto calls = alerts_.Calls();
  ASSERT_EQ(calls.size(), 2U);
  ASSERT_EQ(calls[1].events.size(), 1U);
  EXPECT_FALSE(calls[1].events[0].entered);
  EXPECT_TRUE(calls[1].events[0].stopped);
  EXPECT_EQ(calls[1].in_alert, 0);
  EXPECT_FALSE(engine_.IsInAlert(0));
}

TEST_F(EngineAlertTest, WithoutASinkNothingIsTold) {
  engine_.SetAlertSink(nullptr);
  for (int i = 0; i < 3; ++i) Sample(95, 10, 0);
  EXPECT_TRUE(alerts_.Calls().empty());
  EXPECT_EQ(engine_.GetAlertCount(), 1) << "the state is kept all the same";
}

// The rule's keys in profiles: a profile without them gets the defaults, one with them keeps
// them, and a key this build does not know (as ours are to older builds) is skipped.
TEST(AlertProfileTest, KeysAreOptionalAndUnknownKeysAreSkipped) {
  TempDir dir;
  const auto write = [&](const std::string& name, const std::string& settings) {
    const std::filesystem::path path = dir.path() / name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const std::string text = "GridStep=20\r\nInterval=5\r\n" + settings +
                             "BeginAxis\r\nName=CPU\r\nMaxValue=100\r\nCriticalValue=80\r\n"
                             "Counter=\\Processor(_Total)\\% Processor Time\r\nEndAxis\r\n";
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
  };
  struct Case {
    const char* name;
    std::string settings;
    int after, clear, notify;
  };
  const Case cases[] = {
      {"without the keys", "", 3, 2, 0},
      {"with them", "AlertAfter=4\r\nAlertClear=6\r\nNotifyCritical=1\r\n", 4, 6, 1},
      {"with a later build's key", "AlertSound=bell.ogg\r\nAlertAfter=5\r\n", 5, 2, 0},
  };
  for (const Case& c : cases) {
    fake::FakeProvider fake;
    Corvane engine(fake, false);
    engine.SetUpNewProfile();
    engine.RemoveAllAxes();
    ASSERT_TRUE(engine.Load(write(std::string(c.name) + ".crvn", c.settings))) << c.name;
    const CorvaneSettings s = engine.GetSettings();
    EXPECT_EQ(s.AlertAfter, c.after) << c.name;
    EXPECT_EQ(s.AlertClear, c.clear) << c.name;
    EXPECT_EQ(s.NotifyCritical, c.notify) << c.name;
    EXPECT_EQ(s.Interval, 5) << c.name << ": the other settings are read";
    EXPECT_EQ(engine.GetAxisCount(), 1) << c.name;
    EXPECT_EQ(engine.GetCounterPath(0), "\\Processor(_Total)\\% Processor Time") << c.name;
  }
}

TEST(AlertProfileTest, TheChartAloneReadsAProfileWithTheKeys) {
  // A reader that knows none of the engine's settings, as an older build knows none of these.
  TempDir dir;
  const std::filesystem::path path = dir.path() / "new.crvn";
  {
    fake::FakeProvider fake;
    Corvane engine(fake, false);
    engine.SetUpNewProfile();
    CorvaneSettings s = engine.GetSettings();
    s.AlertAfter = 7;
    s.NotifyCritical = 1;
    engine.SetSettings(s);
    ASSERT_TRUE(engine.Save(path));
  }
  chart::WindRose chart(32, 4);
  ASSERT_TRUE(chart.Load(path));
  fake::FakeProvider fake;
  Corvane engine(fake, false);
  engine.SetUpNewProfile();
  const int standard_axes = engine.GetAxisCount();
  EXPECT_EQ(chart.GetAxisCount(), standard_axes);
  engine.RemoveAllAxes();
  ASSERT_TRUE(engine.Load(path));
  EXPECT_EQ(engine.GetSettings().AlertAfter, 7);
  EXPECT_EQ(engine.GetSettings().NotifyCritical, 1);
}

}  // namespace
}  // namespace corvane
