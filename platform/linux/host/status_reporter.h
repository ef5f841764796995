// The service's status reports to systemd: sd_notify(3) messages.
//
//   start pending  STATUS=Starting (check point N), EXTEND_TIMEOUT_USEC=<wait hint>
//   running        READY=1, STATUS=Running
//   stop pending   STOPPING=1, STATUS=Stopping (check point N), EXTEND_TIMEOUT_USEC=<wait hint>
//   stopped        STATUS=Stopped, and ERRNO=<exit code> when it is not 0
//
// Check points start at 1; every pending report carries the counter and then advances it,
// running and stopped carry 0. EXTEND_TIMEOUT_USEC is only sent for a wait hint above 0.
// In console mode every report succeeds without going anywhere. A report that systemd does
// not take goes to the event log as "failed to report status" and yields false. Without
// NOTIFY_SOCKET (a unit of a type that expects no notifications) there is nobody to tell,
// and the report counts as delivered.
//
// Any thread; takes its own lock (the run reports from the main thread, the stop control
// from the signal watcher's).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/linux/host/event_log.h"

namespace corvane::host {

// The values of the platform's service states.
enum class ServiceState { kStopped = 1, kStartPending = 2, kStopPending = 3, kRunning = 4 };

struct ServiceStatus {
  ServiceState state = ServiceState::kStopped;
  int exit_code = 0;
  std::uint32_t check_point = 0;
  std::uint32_t wait_hint_ms = 0;  // milliseconds
};

// The sd_notify text of one status.
std::string NotifyMessage(const ServiceStatus& status);

class StatusReporter {
 public:
  StatusReporter(bool console, EventLog* events);

  bool Report(ServiceState state, int exit_code, std::uint32_t wait_hint_ms);
  // Sends the last status again, with its check point unchanged.
  bool ReportCurrent();

  ServiceStatus current() const;

 private:
  bool Send(const ServiceStatus& status);

  const bool console_;
  EventLog* events_;  // not owned; outlives the reporter
  mutable std::mutex mutex_;
  ServiceStatus status_;
  std::uint32_t next_check_point_ = 1;
};

}  // namespace corvane::host
