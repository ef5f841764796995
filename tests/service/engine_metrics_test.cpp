// What a scrape copies from a real engine: the values of the last sample as the chart holds
// them (the same numbers the activity log row of that sample shows), the labels made from the
// counter paths, and each remote machine's answer.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/corvane_settings.h"
#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "service/metrics_page.h"
#include "service/metrics_snapshot.h"
#include "tests/support/temp_folder.h"

namespace corvane::service {
namespace {

using chart::ValueState;

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, separator);) cells.push_back(cell);
  return cells;
}

std::string LastLine(const std::string& path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  return last;
}

class EngineMetricsTest : public ::testing::Test {
 protected:
  EngineMetricsTest() {
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
  }
  ~EngineMetricsTest() override { provider_.ReleaseDelays(); }

  void AddAxis(const std::string& name, const std::string& path, double max, double critical,
               double multiplier = 1, bool inverse = false) {
    ASSERT_TRUE(
        engine_.AddAxis(name, "", inverse, 0, max, critical, multiplier, new CounterItem(path)));
  }

  // Logs every sample as CSV into the temporary folder.
  std::string LogAsCsv() {
    CorvaneSettings settings = engine_.GetSettings();
    settings.LogMode = log_mode::kEveryUpdate;
    settings.LogFormat = 1;
    engine_.SetSettings(settings);
    engine_.SetLogLocation(folder_ / "metrics.crvn", false);
    return engine_.GetLogPath();
  }

  MetricsSnapshot Copy() {
    MetricsSnapshot snapshot;
    CopyEngineMetrics(engine_, &snapshot);
    CompleteMetrics(provider_, &snapshot);
    return snapshot;
  }

  test_support::TempFolder folder_;
  fake::FakeProvider provider_;
  Corvane engine_{provider_, false};
};

TEST_F(EngineMetricsTest, BeforeTheFirstSampleEveryValueIsNotAvailable) {
  AddAxis("CPU", "\\Processor(_Total)\\% Processor Time", 100, 80);
  engine_.PrepareStatistics();
  const MetricsSnapshot snapshot = Copy();
  ASSERT_EQ(snapshot.axis_count, 1u);
  for (const AxisValue* value :
       {&snapshot.axes[0].current, &snapshot.axes[0].average, &snapshot.axes[0].maximum}) {
    EXPECT_EQ(value->state, ValueState::kNotAvailable);
  }
  EXPECT_EQ(snapshot.timing.samples(), 0u);
  EXPECT_EQ(snapshot.timing.last_sample_time(), 0.0);
}

TEST_F(EngineMetricsTest, ThePageShowsTheValuesOfTheLogRowOfTheSameSample) {
  AddAxis("Memory MB", "\\Memory\\Available Bytes", 4096, 3000, 1048576);
  AddAxis("Free %", "\\LogicalDisk(_Total)\\% Free Space", 100, 80, 1, /*inverse=*/true);
  AddAxis("CPU", "\\Processor(_Total)\\% Processor Time", 100, 80);
  AddAxis("Gone", "\\Objects\\Processes", 1000, 800);
  const std::string log = LogAsCsv();
  engine_.PrepareStatistics();

  const double readings[][4] = {{1048576.0 * 1000, 10, 50, 120}, {1048576.0 * 3500, 30, 95, 0}};
  for (const auto& sample : readings) {
    engine_.SetValue(0, sample[0]);
    engine_.SetValue(1, sample[1]);
    engine_.SetValue(2, sample[2]);
    engine_.SetUnavailable(3);
    engine_.EndSample();
  }
  const MetricsSnapshot snapshot = Copy();
  std::string page;
  AppendMetricsPage(snapshot, &page);

  // The row: date, time, then one cell per axis as "%.2f" or N/A.
  const std::vector<std::string> row = Split(LastLine(log), ',');
  ASSERT_EQ(row.size(), 2u + 4) << LastLine(log);
  ASSERT_EQ(snapshot.axis_count, 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const AxisValue& current = snapshot.axes[i].current;
    const std::string& cell = row[2 + i];
    if (cell == "N/A") {
      EXPECT_EQ(current.state, ValueState::kNotAvailable) << i;
      continue;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", current.value);
    EXPECT_EQ(text, cell) << "axis " << i;
    // The page writes that same number.
    std::string written;
    AppendSampleValue(&written, current.value);
    EXPECT_NE(page.find("corvane_axis_current_value{axis=\"" + snapshot.axes[i].name + "\""),
              std::string::npos);
    EXPECT_NE(page.find("\"} " + written + "\n"), std::string::npos) << written;
  }
  EXPECT_EQ(row[2], "3500.00");  // after the multiplier
  EXPECT_EQ(row[3], "70.00");    // inverse: max minus the reading
  EXPECT_EQ(row[5], "N/A");
  EXPECT_EQ(snapshot.axes[0].current.state, ValueState::kCritical);  // above 3000
  EXPECT_EQ(snapshot.axes[2].current.state, ValueState::kCritical);
  EXPECT_DOUBLE_EQ(snapshot.axes[0].average.value, 2250);
  EXPECT_DOUBLE_EQ(snapshot.axes[0].maximum.value, 3500);
  EXPECT_EQ(snapshot.axes[3].current.state, ValueState::kNotAvailable);
  EXPECT_EQ(snapshot.timing.samples(), 2u);
  EXPECT_GT(snapshot.timing.last_sample_time(), 1.6e9);
  EXPECT_DOUBLE_EQ(snapshot.axes[0].critical_value, 3000);
  EXPECT_DOUBLE_EQ(snapshot.axes[0].max_value, 4096);
}

TEST_F(EngineMetricsTest, LabelsComeFromTheCounterPathAndFollowItsChanges) {
  AddAxis("a", "\\\\db1:9100\\Processor(_Total)\\% Processor Time", 100, 80);
  AddAxis("b", "\\PhysicalDisk(0 (C:))\\% Disk Time", 100, 80);
  AddAxis("c", "\\Memory\\Available Bytes", 100, 80);
  AddAxis("d", "not a path", 100, 80);
  AddAxis("e", "", 100, 80);
  MetricsSnapshot snapshot;
  CopyEngineMetrics(engine_, &snapshot);
  CompleteMetrics(provider_, &snapshot);
  struct Expected {
    std::string machine, object, instance;
  };
  const Expected expected[] = {{"db1:9100", "Processor", "_Total"},
                               {"", "PhysicalDisk", "0 (C:)"},
                               {"", "Memory", ""},
                               {"", "", ""},
                               {"", "", ""}};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(snapshot.axes[i].machine, expected[i].machine) << i;
    EXPECT_EQ(snapshot.axes[i].object, expected[i].object) << i;
    EXPECT_EQ(snapshot.axes[i].instance, expected[i].instance) << i;
  }

  // The same snapshot, reused after the profile changed, is labelled afresh.
  engine_.RemoveAllAxes();
  AddAxis("a", "\\\\db2\\Network Interface(eth0)\\Bytes Total/sec", 100, 80);
  CopyEngineMetrics(engine_, &snapshot);
  CompleteMetrics(provider_, &snapshot);
  ASSERT_EQ(snapshot.axis_count, 1u);
  EXPECT_EQ(snapshot.axes[0].machine, "db2");
  EXPECT_EQ(snapshot.axes[0].object, "Network Interface");
  EXPECT_EQ(snapshot.axes[0].instance, "eth0");
  EXPECT_EQ(snapshot.machine_count, 1u);
}

TEST_F(EngineMetricsTest, RemoteMachinesAreUpUnlessTheirLastScrapeFailed) {
  AddAxis("a", "\\\\db1\\Processor(_Total)\\% Processor Time", 100, 80);
  AddAxis("b", "\\\\db2:9182\\Processor(_Total)\\% Processor Time", 100, 80);
  AddAxis("c", "\\\\db1\\Memory\\Available Bytes", 100, 80);
  AddAxis("d", "\\Memory\\Available Bytes", 100, 80);
  provider_.ScriptMachineError("\\\\db2:9182", "http://db2:9182/metrics: connection refused");
  engine_.PrepareStatistics();

  // Before a sample nothing is known to have answered.
  MetricsSnapshot snapshot = Copy();
  ASSERT_EQ(snapshot.machine_count, 2u);
  EXPECT_FALSE(snapshot.machines[0].up);
  EXPECT_FALSE(snapshot.machines[1].up);

  engine_.EndSample();
  snapshot = Copy();
  ASSERT_EQ(snapshot.machine_count, 2u);
  EXPECT_EQ(snapshot.machines[0].machine, "db1");
  EXPECT_TRUE(snapshot.machines[0].up);
  EXPECT_EQ(snapshot.machines[1].machine, "db2:9182");
  EXPECT_FALSE(snapshot.machines[1].up);

  provider_.ScriptMachineError("\\\\db2:9182", "");
  snapshot = Copy();
  EXPECT_TRUE(snapshot.machines[1].up);
}

}  // namespace
}  // namespace corvane::service
