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

namespace corvane {
namespace {

// Past readings from a server fill the rings as if they had been sampled: the averages and
// maxima drawn at once are those of the readings, and the first real sample completes the
// averaging depth.
TEST(EngineStatisticsTest, SeededHistoryGivesTheAveragesOfThePastReadings) {
  struct Case {
    const char* name;
    std::vector<std::vector<double>> values;
    std::vector<bool> counted;
    int history;
    int taken;
    std::vector<double> averages;  // over the seeded slots
    std::vector<double> maxima;
  };
  const Case cases[] = {
      {"full", {{1, 2, 3, 4}, {10, 20, 30, 40}}, {true, true}, 5, 4, {2.5, 25}, {4, 40}},
      // A rate has one reading fewer: both take the same number, the newest ones.
      {"rate shorter", {{1, 2, 3, 4}, {20, 30, 40}}, {true, true}, 5, 3, {3, 30}, {4, 40}},
      // More readings than the depth leaves room for: the newest history - 1.
      {"longer than depth", {{5, 1, 2, 3}}, {true}, 3, 2, {2.5}, {3}},
      // Negative readings keep the maximum at its start of 0.
      {"negative", {{-4, -2}}, {true}, 30, 2, {-3}, {0}},
      // A counter that was added but has no history: nothing is seeded.
      {"one without", {{1, 2}, {}}, {true, true}, 30, 0, {0, 0}, {0, 0}},
      // A counter that could not be added does not count.
      {"not added", {{1, 2}, {}}, {true, false}, 30, 2, {1.5, 0}, {2, 0}},
  };
  for (const Case& c : cases) {
    EngineStatistics stats;
    stats.Prepare(static_cast<int>(c.values.size()));
    EXPECT_EQ(stats.Seed(c.values, c.counted, c.history), c.taken) << c.name;
    EXPECT_EQ(stats.SampleCount(), c.taken) << c.name;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_DOUBLE_EQ(stats.Average(static_cast<int>(i), c.taken), c.averages[i]) << c.name;
      EXPECT_DOUBLE_EQ(stats.Maximum(static_cast<int>(i)), c.maxima[i]) << c.name;
    }
  }
}

TEST(EngineStatisticsTest, FirstSampleAfterSeedingAveragesOverTheWholeDepth) {
  EngineStatistics stats;
  stats.Prepare(1);
  ASSERT_EQ(stats.Seed({{2, 4, 6, 8}}, {true}, 5), 4);
  EXPECT_DOUBLE_EQ(stats.Store(0, 10, 5).average, 6.0);  // (2 + 4 + 6 + 8 + 10) / 5
  stats.Advance(5);
  EXPECT_EQ(stats.Position(), 0);
  // The next one replaces the oldest.
  EXPECT_DOUBLE_EQ(stats.Store(0, 12, 5).average, 8.0);  // (12 + 4 + 6 + 8 + 10) / 5
}

}  // namespace
}  // namespace corvane
