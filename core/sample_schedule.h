// SampleSchedule: when the collector collects, when it reads values, and how long it may sleep
// in between, from a millisecond tick count. Pure arithmetic, so the timing rules are tested
// without a thread or a clock.
//
// The rules: the first pass only collects (rate counters need two collections); the first
// readings come one pass (100 ms) later; after that a sample is taken at the first pass at
// which more than Interval x 1000 ms have passed since the last one, so the period is the
// interval plus at most one pass; a resample request takes a sample at once and restarts the
// interval there. Two collections are never less than one pass apart, so a rate is never
// taken over a sliver of time. Tick arithmetic is unsigned 32-bit: wrap-around is harmless.
//
// Threads: owned by the collector thread.
#pragma once

#include <cstdint>

namespace corvane {

class SampleSchedule {
 public:
  static constexpr std::uint32_t kPassMs = 100;  // the shortest time between two collections

  struct Pass {
    bool collect = false;  // collect the query
    bool read = false;     // then read every counter and end a sample
  };

  // The start of a pass at tick `now_ms`. `interval_s` is read afresh every pass and clamped
  // to 1..120 seconds; `resample` is a resample request seen since the previous pass (it stays
  // pending until it is served).
  Pass BeginPass(std::uint32_t now_ms, int interval_s, bool resample);

  // How long the collector may sleep after the pass, the tick now being `now_ms`, before the
  // next pass has something to do (0: go on at once).
  std::uint32_t MillisecondsToNextPass(std::uint32_t now_ms, int interval_s) const;

 private:
  static std::uint32_t PeriodMs(int interval_s);
  std::uint32_t UntilGapMs(std::uint32_t now_ms) const;

  bool primed_ = false;             // the first collection is done
  bool sampled_ = false;            // the first readings are done
  bool resample_pending_ = false;   // a resample waits for the gap after the last collection
  std::uint32_t prev_ms_ = 0;       // tick at the start of the previous pass
  std::uint32_t elapsed_ms_ = 0;    // ms from the last sample to the start of the previous pass
  std::uint32_t collected_ms_ = 0;  // tick of the last collection
};

}  // namespace corvane
