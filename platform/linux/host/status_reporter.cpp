#include "platform/linux/host/status_reporter.h"

#include <systemd/sd-daemon.h>

#include <cerrno>

namespace corvane::host {
namespace {

void AppendTimeout(std::string* text, std::uint32_t wait_hint_ms) {
  if (wait_hint_ms == 0) return;
  *text += "\nEXTEND_TIMEOUT_USEC=" + std::to_string(std::uint64_t{wait_hint_ms} * 1000);
}

}  // namespace

std::string NotifyMessage(const ServiceStatus& status) {
  std::string text;
  switch (status.state) {
    case ServiceState::kStartPending:
      text = "STATUS=Starting (check point " + std::to_string(status.check_point) + ")";
      AppendTimeout(&text, status.wait_hint_ms);
      break;
    case ServiceState::kRunning:
      text = "READY=1\nSTATUS=Running";
      break;
    case ServiceState::kStopPending:
      text = "STOPPING=1\nSTATUS=Stopping (check point " + std::to_string(status.check_point) + ")";
      AppendTimeout(&text, status.wait_hint_ms);
      break;
    case ServiceState::kStopped:
      text = "STATUS=Stopped";
      if (status.exit_code != 0) text += "\nERRNO=" + std::to_string(status.exit_code);
      break;
  }
  return text;
}

StatusReporter::StatusReporter(bool console, EventLog* events)
    : console_(console), events_(events) {}

bool StatusReporter::Report(ServiceState state, int exit_code, std::uint32_t wait_hint_ms) {
  const std::lock_guard<std::mutex> hold(mutex_);
  status_.state = state;
  status_.exit_code = exit_code;
  status_.wait_hint_ms = wait_hint_ms;
  if (state == ServiceState::kRunning || state == ServiceState::kStopped) {
    status_.check_point = 0;
  } else {
    status_.check_point = next_check_point_++;
  }
  return Send(status_);
}

bool StatusReporter::ReportCurrent() {
  const std::lock_guard<std::mutex> hold(mutex_);
  return Send(status_);
}

ServiceStatus StatusReporter::current() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return status_;
}

bool StatusReporter::Send(const ServiceStatus& status) {
  if (console_) return true;
  const int sent = sd_notify(0, NotifyMessage(status).c_str());
  if (sent >= 0) return true;
  errno = -sent;  // the event keeps the reason as its code
  events_->Report("failed to report status");
  return false;
}

}  // namespace corvane::host
