#include "core/sample_schedule.h"

#include <algorithm>

#include "core/corvane_settings.h"

namespace corvane {

std::uint32_t SampleSchedule::PeriodMs(int interval_s) {
  return static_cast<std::uint32_t>(std::clamp(interval_s, kMinInterval, kMaxInterval)) * 1000u;
}

std::uint32_t SampleSchedule::UntilGapMs(std::uint32_t now_ms) const {
  const std::uint32_t since_collect = now_ms - collected_ms_;
  return since_collect >= kPassMs ? 0 : kPassMs - since_collect;
}

SampleSchedule::Pass SampleSchedule::BeginPass(std::uint32_t now_ms, int interval_s,
                                               bool resample) {
  if (!primed_) {
    primed_ = true;
    prev_ms_ = now_ms;
    collected_ms_ = now_ms;
    return Pass{true, false};
  }
  elapsed_ms_ += now_ms - prev_ms_;
  prev_ms_ = now_ms;
  resample_pending_ = resample_pending_ || resample;

  const bool due = !sampled_ || resample_pending_ || elapsed_ms_ > PeriodMs(interval_s);
  if (!due || UntilGapMs(now_ms) > 0) return Pass{};
  sampled_ = true;
  resample_pending_ = false;
  elapsed_ms_ = 0;
  collected_ms_ = now_ms;
  return Pass{true, true};
}

std::uint32_t SampleSchedule::MillisecondsToNextPass(std::uint32_t now_ms, int interval_s) const {
  if (!primed_) return 0;
  if (!sampled_ || resample_pending_) return UntilGapMs(now_ms);
  const std::uint32_t since_sample = elapsed_ms_ + (now_ms - prev_ms_);
  const std::uint32_t period = PeriodMs(interval_s);
  // A sample is due once strictly more than the period has passed.
  return since_sample > period ? 0 : period + 1 - since_sample;
}

}  // namespace corvane
