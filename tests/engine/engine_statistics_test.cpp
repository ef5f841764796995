#include "core/engine_statistics.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace corvane {
namespace {

// Feeds one counter a sequence (nullopt = unavailable) and returns the average after each
// available reading.
std::vector<double> Averages(const std::vector<std::optional<double>>& readings, int history) {
  EngineStatistics stats;
  stats.Prepare(1);
  std::vector<double> averages;
  for (const auto& reading : readings) {
    if (reading) {
      averages.push_back(stats.Store(0, *reading, history).average);
    } else {
      stats.MarkUnavailable(0);
    }
    stats.Advance(history);
  }
  return averages;
}

TEST(EngineStatisticsTest, AveragesOverTheSamplesSoFarThenOverHistory) {
  std::vector<std::optional<double>> readings;
  for (int i = 1; i <= 40; ++i) readings.emplace_back(i);
  const std::vector<double> averages = Averages(readings, 30);
  ASSERT_EQ(averages.size(), 40u);
  EXPECT_DOUBLE_EQ(averages[0], 1.0);
  EXPECT_DOUBLE_EQ(averages[2], 2.0);               // (1 + 2 + 3) / 3
  EXPECT_DOUBLE_EQ(averages[29], 15.5);             // 1..30
  EXPECT_DOUBLE_EQ(averages[39], (11 + 40) / 2.0);  // the last 30: 11..40
}

TEST(EngineStatisticsTest, SkippedSlotKeepsItsEarlierContent) {
  struct Case {
    const char* name;
    std::vector<std::optional<double>> readings;
    int history;
    std::vector<double> averages;
  };
  const Case cases[] = {
      // Before the ring wraps a skipped slot holds 0 and still counts.
      {"before wrap", {10.0, std::nullopt, 30.0}, 4, {10.0, 40.0 / 3}},
      // After a wrap it holds the reading of one round earlier: 2, 8 and 6 are averaged.
      {"after wrap", {2.0, 4.0, 6.0, std::nullopt, 8.0}, 3, {2.0, 3.0, 4.0, 16.0 / 3}},
  };
  for (const Case& c : cases) {
    const std::vector<double> averages = Averages(c.readings, c.history);
    ASSERT_EQ(averages.size(), c.averages.size()) << c.name;
    for (std::size_t i = 0; i < averages.size(); ++i)
      EXPECT_DOUBLE_EQ(averages[i], c.averages[i]) << c.name << " #" << i;
  }
}

TEST(EngineStatisticsTest, UnavailableMarksTheCurrentValueOnly) {
  EngineStatistics stats;
  stats.Prepare(2);
  stats.Store(0, 50.0, 30);
  stats.Store(1, 5.0, 30);
  stats.MarkUnavailable(0);
  EXPECT_EQ(stats.Current(0), kUnavailableValue);
  EXPECT_EQ(stats.Maximum(0), 50.0);
  EXPECT_EQ(stats.Current(1), 5.0);
}

TEST(EngineStatisticsTest, MaximumStartsAtZeroAndGrowsOnlyOnGreaterReadings) {
  EngineStatistics stats;
  stats.Prepare(1);
  EXPECT_EQ(stats.Store(0, -5.0, 30).maximum, 0.0);  // never above 0: the maximum stays 0
  EXPECT_EQ(stats.Store(0, 7.0, 30).maximum, 7.0);
  EXPECT_EQ(stats.Store(0, 3.0, 30).maximum, 7.0);
  stats.ResetMaxima();
  EXPECT_EQ(stats.Maximum(0), 0.0);
  EXPECT_EQ(stats.Store(0, 3.0, 30).maximum, 3.0);
}

TEST(EngineStatisticsTest, RingPositionWrapsAtHistoryAndStaysInsideTheRing) {
  EngineStatistics stats;
  stats.Prepare(1);
  for (int i = 0; i < 5; ++i) stats.Advance(5);
  EXPECT_EQ(stats.Position(), 0);
  EXPECT_EQ(stats.SampleCount(), 5);

  // The depth shrinking under a far position (a profile loaded while collecting) brings the
  // position back at the next advance; a depth beyond the ring is held to the ring.
  for (int i = 0; i < 100; ++i) stats.Advance(120);
  EXPECT_EQ(stats.Position(), 100);
  stats.Store(0, 1.0, 30);
  stats.Advance(30);
  EXPECT_EQ(stats.Position(), 0);
  for (int i = 0; i < 500; ++i) {
    stats.Store(0, 1.0, 1000);
    stats.Advance(1000);
    ASSERT_LT(stats.Position(), EngineStatistics::kRingLength);
  }

  stats.RestartAveraging();
  EXPECT_EQ(stats.Position(), 0);
  EXPECT_EQ(stats.SampleCount(), 0);
}

TEST(EngineStatisticsTest, PrepareZeroesAndReleaseEmpties) {
  EngineStatistics stats;
  stats.Prepare(3);
  stats.Store(1, 9.0, 30);
  stats.Advance(30);
  stats.Prepare(3);
  EXPECT_EQ(stats.CounterCount(), 3);
  EXPECT_EQ(stats.Maximum(1), 0.0);
  EXPECT_EQ(stats.Current(1), 0.0);
  EXPECT_EQ(stats.SampleCount(), 0);
  EXPECT_DOUBLE_EQ(stats.Store(1, 3.0, 30).average, 3.0);
  stats.Release();
  EXPECT_EQ(stats.CounterCount(), 0);
  EXPECT_FALSE(stats.Has(0));
}

}  // namespace
}  // namespace corvane
