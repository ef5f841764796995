#include "core/counter_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace corvane::perf {
namespace {

using Ticks = CounterDelta<std::uint64_t>;
using Seconds = CounterDelta<double>;

TEST(CounterDelta, ForwardChangeIsTheDifference) {
  EXPECT_EQ(Ticks::Between(100, 250).value(), 150u);
  EXPECT_EQ(Ticks::Between(7, 7).value(), 0u) << "a counter that did not move changed by 0";
  EXPECT_DOUBLE_EQ(Seconds::Between(1.5, 4.0).value(), 2.5);
}

TEST(CounterDelta, FirstSampleHasNoChange) {
  EXPECT_FALSE(Ticks::Between(std::nullopt, std::optional<std::uint64_t>(5)));
  EXPECT_FALSE(Ticks{}.has_value());
}

TEST(CounterDelta, VanishedInstanceHasNoChange) {
  EXPECT_FALSE(Ticks::Between(std::optional<std::uint64_t>(5), std::nullopt));
}

TEST(CounterDelta, CounterGoingBackwardsRestartsAsFirstSample) {
  // An interface re-created or an exporter restarted: the later reading is a new baseline.
  EXPECT_FALSE(Ticks::Between(5000, 12));
  EXPECT_FALSE(Seconds::Between(10.0, 9.999));
  EXPECT_EQ(Ticks::Between(12, 40).value(), 28u) << "the next change counts from the restart";
}

TEST(CounterDelta, WrappedThirtyTwoBitCounterRestarts) {
  // /proc/diskstats fields are unsigned long: 32 bits wide on 32-bit kernels.
  const std::uint64_t before_wrap = 0xFFFFFF00u;
  const std::uint64_t after_wrap = 0x40u;
  EXPECT_FALSE(Ticks::Between(before_wrap, after_wrap))
      << "a wrap is not mistaken for a huge forward jump";
}

TEST(CounterDelta, NonFiniteFloatingReadingsHaveNoChange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(Seconds::Between(nan, 1.0));
  EXPECT_FALSE(Seconds::Between(1.0, nan));
  EXPECT_FALSE(Seconds::Between(1.0, inf));
  EXPECT_FALSE(Seconds::Between(-inf, 1.0));
}

TEST(CounterDelta, SumIsEmptyWhenAnyPartIs) {
  EXPECT_EQ((Ticks::Between(1, 4) + Ticks::Between(10, 20)).value(), 13u);
  EXPECT_FALSE(Ticks::Between(1, 4) + Ticks::Between(20, 10))
      << "one field going backwards cannot hide behind another going forwards";
  EXPECT_FALSE(Ticks{} + Ticks::Between(1, 2));
}

TEST(PerSecond, DividesByTheInterval) {
  EXPECT_DOUBLE_EQ(*PerSecond(Ticks::Between(0, 3000), 2.0), 1500.0);
  EXPECT_DOUBLE_EQ(*PerSecond(Seconds::Between(10.0, 10.5), 0.25), 2.0);
}

TEST(PerSecond, NeedsAChangeAndAPositiveInterval) {
  EXPECT_FALSE(PerSecond(Ticks::Between(10, 5), 1.0));
  EXPECT_FALSE(PerSecond(Ticks::Between(5, 10), 0.0)) << "two collections within one clock step";
  EXPECT_FALSE(PerSecond(Ticks::Between(5, 10), -1.0));
}

struct PercentCase {
  const char* name;
  std::uint64_t part;
  std::uint64_t whole;
  double expected;
};

class PercentOfIntervalTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentOfIntervalTest, IsTheShareClampedToAHundred) {
  const PercentCase& c = GetParam();
  const auto percent = PercentOfInterval(Ticks::Between(0, c.part), Ticks::Between(0, c.whole));
  ASSERT_TRUE(percent.has_value());
  EXPECT_DOUBLE_EQ(*percent, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, PercentOfIntervalTest,
    ::testing::Values(PercentCase{"Quarter", 25, 100, 25.0}, PercentCase{"Nothing", 0, 80, 0.0},
                      PercentCase{"All", 80, 80, 100.0},
                      // io_ticks read a moment after the clock can pass the elapsed time.
                      PercentCase{"JitterAboveTheWhole", 1003, 1000, 100.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PercentOfInterval, EmptyWhenTheWholeDidNotAdvanceOrAPartIsMissing) {
  EXPECT_FALSE(PercentOfInterval(Ticks::Between(0, 0), Ticks::Between(5, 5)));
  EXPECT_FALSE(PercentOfInterval(Ticks::Between(0, 1), Ticks::Between(9, 5)));
  EXPECT_FALSE(PercentOfInterval(Ticks::Between(9, 1), Ticks::Between(0, 5)));
  EXPECT_FALSE(PercentOfInterval(Ticks::Between(0, 1), 0.0));
}

TEST(InversePercentOfInterval, IsTheBusyShare) {
  EXPECT_DOUBLE_EQ(*InversePercentOfInterval(Ticks::Between(0, 30), Ticks::Between(0, 120)), 75.0);
  EXPECT_DOUBLE_EQ(*InversePercentOfInterval(Ticks::Between(0, 130), Ticks::Between(0, 120)), 0.0);
  EXPECT_FALSE(InversePercentOfInterval(Ticks::Between(0, 30), Ticks{}));
}

TEST(RawFraction, IsNotClamped) {
  EXPECT_DOUBLE_EQ(*RawFraction(50, 200), 25.0);
  EXPECT_DOUBLE_EQ(*RawFraction(300, 200), 150.0) << "overcommitted memory shows above 100";
  EXPECT_FALSE(RawFraction(1, 0));
}

TEST(InstanceTotal, SumsAndAveragesTheInstancesThatHaveAValue) {
  InstanceTotal total;
  EXPECT_FALSE(total.Sum());
  EXPECT_FALSE(total.Mean());
  total.Add(10.0);
  total.Add(std::nullopt);
  total.Add(30.0);
  EXPECT_EQ(total.count(), 2u);
  EXPECT_DOUBLE_EQ(*total.Sum(), 40.0);
  EXPECT_DOUBLE_EQ(*total.Mean(), 20.0);
}

}  // namespace
}  // namespace corvane::perf
