#include "core/sample_timing.h"

#include <time.h>

#include <algorithm>

namespace corvane {

void SampleTiming::NoteSampleEnd(double unix_seconds) {
  ++samples_;
  last_sample_time_ = unix_seconds;
}

void SampleTiming::NoteCost(double cpu_seconds) {
  const double cost = std::max(cpu_seconds, 0.0);
  const auto bucket = static_cast<std::size_t>(
      std::lower_bound(kCostBounds.begin(), kCostBounds.end(), cost) - kCostBounds.begin());
  ++buckets_[bucket];
  ++cost_count_;
  cost_sum_ += cost;
}

std::uint64_t SampleTiming::CumulativeCount(std::size_t bucket) const {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i <= bucket && i < buckets_.size(); ++i) total += buckets_[i];
  return total;
}

double ThreadCpuSeconds() {
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return 0.0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace corvane
