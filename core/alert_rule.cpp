#include "core/alert_rule.h"

#include <algorithm>

namespace corvane {
namespace {

std::int32_t Samples(std::int32_t n) { return AlertSamplesInRange(n) ? n : 1; }

}  // namespace

AlertChange AlertTracker::Step(chart::ValueState state, const AlertRule& rule) {
  switch (state) {
    case chart::ValueState::kCritical:
      normal_run_ = 0;
      critical_run_ = std::min(critical_run_ + 1, kMaxAlertSamples);
      if (!in_alert_ && critical_run_ >= Samples(rule.enter_after)) {
        in_alert_ = true;
        return AlertChange::kEntered;
      }
      return AlertChange::kNone;
    case chart::ValueState::kNormal:
      critical_run_ = 0;
      normal_run_ = std::min(normal_run_ + 1, kMaxAlertSamples);
      if (in_alert_ && normal_run_ >= Samples(rule.leave_after)) {
        in_alert_ = false;
        return AlertChange::kLeft;
      }
      return AlertChange::kNone;
    case chart::ValueState::kNotAvailable:
      break;
  }
  critical_run_ = 0;
  normal_run_ = 0;
  return AlertChange::kNone;
}

void AlertStates::Prepare(int counters) {
  trackers_.assign(static_cast<std::size_t>(std::max(counters, 0)), AlertTracker());
  in_alert_ = 0;
}

void AlertStates::Release() {
  trackers_ = {};
  in_alert_ = 0;
}

AlertChange AlertStates::Step(int counter, chart::ValueState state, const AlertRule& rule) {
  const AlertChange change = trackers_[static_cast<std::size_t>(counter)].Step(state, rule);
  if (change == AlertChange::kEntered) ++in_alert_;
  if (change == AlertChange::kLeft) --in_alert_;
  return change;
}

bool AlertStates::InAlert(int counter) const {
  return counter >= 0 && counter < CounterCount() &&
         trackers_[static_cast<std::size_t>(counter)].InAlert();
}

}  // namespace corvane
