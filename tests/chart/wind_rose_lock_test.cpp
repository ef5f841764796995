#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "chart/wind_rose.h"
#include "chart_test_support.h"

namespace corvane::chart {
namespace {

using testing_support::AddPlainAxis;
using testing_support::TestRose;

constexpr int kAxes = 8;
constexpr int kSamples = 2000;

// The collector stores a whole sample (every axis, three series) inside one Lock/Unlock
// group, as the engine does, while the window thread reads whole frames under the lock. A
// reader must never see a frame that mixes two samples.
TEST(WindRoseLock, GroupedStoresAreNeverSeenHalfDone) {
  TestRose chart;
  for (int s = 0; s < 3; ++s) ASSERT_TRUE(chart.AddSeries("s", ""));
  for (int a = 0; a < kAxes; ++a) ASSERT_TRUE(AddPlainAxis(chart, 0, kSamples, kSamples / 2));
  chart.SetChartRadius(100);

  std::atomic<bool> writer_done{false};
  std::thread collector([&] {
    for (int sample = 1; sample <= kSamples; ++sample) {
      ChartLock group(chart);  // re-entered by every store below
      for (int a = 0; a < kAxes; ++a) {
        for (int s = 0; s < 3; ++s) chart.SetSeriesValue(a, sample, s);
      }
      if (sample % 7 == 0) chart.SetValueState(0, ValueState::kNotAvailable, 2);
    }
    writer_done = true;
  });

  int frames = 0;
  int torn = 0;
  double last_seen = 0;
  bool went_backwards = false;
  while (!writer_done || frames == 0) {
    chart.Lock();
    double first = 0;
    chart.GetSeriesValue(0, &first, 0);
    for (int a = 0; a < kAxes; ++a) {
      for (int s = 0; s < 3; ++s) {
        double value = -1;
        chart.GetSeriesValue(a, &value, s);
        if (value != first) ++torn;
      }
      (void)chart.Radius(a, 1);
    }
    chart.Unlock();
    if (first < last_seen) went_backwards = true;
    last_seen = first;
    ++frames;
  }
  collector.join();

  EXPECT_EQ(torn, 0) << "over " << frames << " frames";
  EXPECT_FALSE(went_backwards);
  double final_value = 0;
  ASSERT_TRUE(chart.GetSeriesValue(kAxes - 1, &final_value, 2));
  EXPECT_EQ(final_value, kSamples);
}

TEST(WindRoseLock, IsReentrantOnOneThreadAndExcludesOthers) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));

  chart.Lock();
  chart.Lock();
  ASSERT_TRUE(chart.SetSeriesValue(0, 10, 0));  // takes the lock a third time

  std::atomic<bool> started{false};
  std::atomic<bool> stored{false};
  std::thread other([&] {
    started = true;
    chart.SetSeriesValue(0, 99, 0);
    stored = true;
  });
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(stored) << "another thread stored a value while the lock was held";
  double value = 0;
  ASSERT_TRUE(chart.GetSeriesValue(0, &value, 0));
  EXPECT_EQ(value, 10);
  chart.Unlock();
  EXPECT_FALSE(stored) << "one Unlock must not release a lock taken twice";
  chart.Unlock();
  other.join();
  EXPECT_TRUE(stored);
  ASSERT_TRUE(chart.GetSeriesValue(0, &value, 0));
  EXPECT_EQ(value, 99);
}

// A FreeItem hook runs under the chart's lock and may call back into the chart.
class ReentrantFreeRose : public WindRose {
 public:
  ReentrantFreeRose() : WindRose(32, 4) {}
  ~ReentrantFreeRose() override { RemoveAllAxes(); }
  void FreeItem(AxisItem* item) override {
    axis_count_seen = GetAxisCount();
    delete item;
  }
  int axis_count_seen = -1;
};

TEST(WindRoseLock, HooksMayCallBackIntoTheChart) {
  ReentrantFreeRose chart;
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, false, new AxisItem));
  ASSERT_TRUE(chart.RemoveAllAxes());
  EXPECT_EQ(chart.axis_count_seen, 1);
}

}  // namespace
}  // namespace corvane::chart
