#include "service/log_status_reporter.h"

namespace corvane::service {

LogStatusReporter::LogStatusReporter(bool console, host::EventLog* events, std::FILE* err)
    : console_(console), events_(events), err_(err) {}

std::string LogStatusReporter::FailingText(const std::string& log_path, const std::string& reason) {
  return "Activity log: cannot write " + log_path + ": " + reason;
}

std::string LogStatusReporter::RecoveredText(const std::string& log_path) {
  return "Activity log: writing " + log_path + " again";
}

void LogStatusReporter::LogFailing(const std::string& log_path, const std::string& reason) {
  Tell(host::EventLog::Severity::kWarning, FailingText(log_path, reason));
}

void LogStatusReporter::LogRecovered(const std::string& log_path) {
  Tell(host::EventLog::Severity::kNotice, RecoveredText(log_path));
}

void LogStatusReporter::Tell(host::EventLog::Severity severity, const std::string& text) {
  if (console_) {
    std::fprintf(err_, "%s\n", text.c_str());
    std::fflush(err_);
  } else if (events_ != nullptr) {
    events_->Note(severity, text);
  }
}

}  // namespace corvane::service
