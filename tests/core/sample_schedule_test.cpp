#include "core/sample_schedule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {
namespace {

struct Step {
  std::uint32_t now;  // tick at the start of the pass, ms
  int interval;       // seconds
  bool resample;
  bool collect;        // expected
  bool read;           // expected
  std::uint32_t wait;  // expected sleep after the pass (computed at the same tick), ms
};

void RunSteps(const std::string& name, const std::vector<Step>& steps) {
  SampleSchedule schedule;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    const SampleSchedule::Pass pass = schedule.BeginPass(s.now, s.interval, s.resample);
    EXPECT_EQ(pass.collect, s.collect) << name << " step " << i << " at " << s.now;
    EXPECT_EQ(pass.read, s.read) << name << " step " << i << " at " << s.now;
    EXPECT_EQ(schedule.MillisecondsToNextPass(s.now, s.interval), s.wait)
        << name << " step " << i << " at " << s.now;
  }
}

TEST(SampleScheduleTest, FirstPassOnlyCollectsAndReadingsFollowOnePassLater) {
  RunSteps("first readings",
           {
               {5000, 2, false, true, false, 100},
               {5050, 2, false, false, false, 50},  // woken early: the gap is not over
               {5100, 2, false, true, true, 2001},
           });
}

TEST(SampleScheduleTest, SamplesOnceMoreThanTheIntervalHasPassed) {
  RunSteps("period",
           {
               {0, 2, false, true, false, 100},
               {100, 2, false, true, true, 2001},
               {2100, 2, false, false, false, 1},  // exactly 2000 ms: not yet
               {2101, 2, false, true, true, 2001},
               {3000, 2, false, false, false, 1102},  // a spurious wake changes nothing
               {4102, 2, false, true, true, 2001},
               {5103, 1, false, true, true, 1001},  // the interval read afresh: 1001 ms > 1 s
           });
}

TEST(SampleScheduleTest, ResampleTakesASampleAtOnceAndRestartsTheInterval) {
  RunSteps("resample",
           {
               {0, 120, false, true, false, 100},
               {100, 120, false, true, true, 120001},
               {30000, 120, true, true, true, 120001},
               {30040, 120, true, false, false, 60},  // 40 ms after a collection: waits for the gap
               {30100, 120, false, true, true, 120001},  // still pending: served now
               {30200, 120, false, false, false, 119901},
           });
}

TEST(SampleScheduleTest, ResampleDuringTheFirstPassAddsNoCollection) {
  RunSteps("resample at start", {
                                    {0, 2, true, true, false, 100},
                                    {50, 2, true, false, false, 50},
                                    {100, 2, false, true, true, 2001},
                                    {150, 2, false, false, false, 1951},
                                });
}

TEST(SampleScheduleTest, TickWrapAroundIsHarmless) {
  const std::uint32_t start = 0xFFFFFFA0u;  // 96 ms before the tick wraps
  RunSteps("wrap", {
                       {start, 1, false, true, false, 100},
                       {start + 100, 1, false, true, true, 1001},  // tick 4 after wrapping
                       {start + 1100, 1, false, false, false, 1},
                       {start + 1101, 1, false, true, true, 1001},
                   });
}

TEST(SampleScheduleTest, IntervalIsHeldToItsRange) {
  RunSteps("too short", {
                            {0, 0, false, true, false, 100},
                            {100, 0, false, true, true, 1001},
                            {1101, -5, false, true, true, 1001},
                        });
  RunSteps("too long", {
                           {0, 500, false, true, false, 100},
                           {100, 500, false, true, true, 120001},
                           {120101, 500, false, true, true, 120001},
                       });
}

}  // namespace
}  // namespace corvane
