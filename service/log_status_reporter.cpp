#include "service/log_status_reporter.h"

namespace corvane::service {

LogStatusReporter::LogStatusReporter(bool console, host::EventLog* events, std::FILE* err)
    : channel_(console, events, err) {}

std::string LogStatusReporter::FailingText(const std::string& log_path, const std::string& reason) {
  return "Activity log: cannot write " + log_path + ": " + reason;
}

std::string LogStatusReporter::RecoveredText(const std::string& log_path) {
  return "Activity log: writing " + log_path + " again";
}

void LogStatusReporter::LogFailing(const std::string& log_path, const std::string& reason) {
  channel_.Tell(host::EventLog::Severity::kWarning, FailingText(log_path, reason));
}

void LogStatusReporter::LogRecovered(const std::string& log_path) {
  channel_.Tell(host::EventLog::Severity::kNotice, RecoveredText(log_path));
}

}  // namespace corvane::service
