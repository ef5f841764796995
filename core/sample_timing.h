// SampleTiming: when the collector last ended a sample, how many it ended, and what each cost
// the collector thread in CPU time, as a histogram with fixed buckets. Fixed-size value type:
// copying or updating it never allocates.
//
// Threads: none of its own. The engine owns one and uses it only while holding its lock.
#pragma once

#include <array>
#include <cstdint>

namespace corvane {

class SampleTiming {
 public:
  // Upper bounds of the cost buckets, in CPU seconds; a last bucket without bound follows.
  static constexpr std::array<double, 12> kCostBounds = {
      0.0001, 0.00025, 0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 1.0};

  // Everything back to nothing (collecting starts).
  void Reset() { *this = SampleTiming(); }
  // A sample ended at `unix_seconds` (wall clock).
  void NoteSampleEnd(double unix_seconds);
  // One sample cost `cpu_seconds` (negative counts as 0).
  void NoteCost(double cpu_seconds);

  std::uint64_t samples() const { return samples_; }
  // Unix time of the last sample's end; 0 before the first.
  double last_sample_time() const { return last_sample_time_; }

  // Costs at or below kCostBounds[i], cumulative; index kCostBounds.size() counts them all.
  std::uint64_t CumulativeCount(std::size_t bucket) const;
  std::uint64_t cost_count() const { return cost_count_; }
  double cost_sum() const { return cost_sum_; }

 private:
  std::uint64_t samples_ = 0;
  double last_sample_time_ = 0.0;
  std::array<std::uint64_t, kCostBounds.size() + 1> buckets_{};  // per bucket, not cumulative
  std::uint64_t cost_count_ = 0;
  double cost_sum_ = 0.0;  // CPU seconds
};

// CPU seconds the calling thread has used so far.
double ThreadCpuSeconds();

}  // namespace corvane
