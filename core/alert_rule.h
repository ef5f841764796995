// AlertRule and AlertStates: when a counter is in alert. A counter enters the alert state once
// its current value has been critical (the chart's kCritical: strictly above the axis's
// critical value) for `enter_after` consecutive samples, and leaves it after `leave_after`
// consecutive normal samples. Not available is a state of its own: it is never critical, so it
// never starts or continues an alert, and it is never normal, so it never ends one; it breaks
// both runs (the samples around it are not consecutive).
//
// AlertStates keeps one state machine per counter, sized once when collecting starts, so a
// sample's step allocates nothing. Threads: none of its own; the engine owns one and uses it
// under its lock.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/value_state.h"

namespace corvane {

struct AlertRule {
  std::int32_t enter_after = 3;  // consecutive critical samples that start an alert
  std::int32_t leave_after = 2;  // consecutive normal samples that end one
};

inline constexpr std::int32_t kMinAlertSamples = 1;
inline constexpr std::int32_t kMaxAlertSamples = 120;
inline bool AlertSamplesInRange(std::int32_t samples) {
  return samples >= kMinAlertSamples && samples <= kMaxAlertSamples;
}

// What one sample did to one counter's alert state.
enum class AlertChange : std::uint8_t { kNone, kEntered, kLeft };

// One counter's state machine.
class AlertTracker {
 public:
  // The counter's state in this sample. Numbers outside 1..kMaxAlertSamples count as 1.
  AlertChange Step(chart::ValueState state, const AlertRule& rule);
  bool InAlert() const { return in_alert_; }
  void Reset() { *this = AlertTracker(); }

 private:
  bool in_alert_ = false;
  std::int32_t critical_run_ = 0;  // consecutive critical samples up to this one
  std::int32_t normal_run_ = 0;    // consecutive normal samples up to this one
};

class AlertStates {
 public:
  // Room for `counters` counters, none in alert.
  void Prepare(int counters);
  void Release();
  int CounterCount() const { return static_cast<int>(trackers_.size()); }

  // Steps counter i (0 <= i < CounterCount) and keeps the count of counters in alert.
  AlertChange Step(int counter, chart::ValueState state, const AlertRule& rule);
  bool InAlert(int counter) const;
  int AlertCount() const { return in_alert_; }

 private:
  std::vector<AlertTracker> trackers_;
  int in_alert_ = 0;
};

}  // namespace corvane
