// Tells of counters entering and leaving the alert state where someone looks while no window is
// open: the system log for the service (a warning on entry, a notice on exit, with the fields
// CORVANE_COUNTER, CORVANE_AXIS, CORVANE_VALUE, CORVANE_CRITICAL and CORVANE_ALERT, so that
// `journalctl -t Corvane -p warning` lists a run's alerts), the error stream in a console run.
//
// Any thread: the engine calls it on the collector thread under its lock; EventLog and stdio
// are thread-safe. The event log and stream must outlive the reporter.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "core/engine_host.h"
#include "platform/linux/host/event_log.h"

namespace corvane::service {

class AlertReporter final : public AlertSink {
 public:
  AlertReporter(bool console, host::EventLog* events, std::FILE* err);

  void AlertsChanged(std::span<const AlertEvent> changes, int in_alert) override;

  // The line of one change, for the system log and the console alike.
  static std::string Text(const AlertEvent& event);
  // A value as the fields and lines show it: up to two decimals, no trailing zeros, "N/A".
  static std::string Number(double value);

 private:
  bool console_;
  host::EventLog* events_;
  std::FILE* err_;
};

}  // namespace corvane::service
