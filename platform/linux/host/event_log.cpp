#include "platform/linux/host/event_log.h"

#include <syslog.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <utility>

namespace corvane::host {
namespace {

// openlog keeps the pointer it is given, so the identity must outlive the closelog below; the
// lock keeps another thread's closelog from pulling it away in between.
std::mutex syslog_mutex;

void WriteToSyslog(std::string_view source, std::string_view first_line, std::string_view message) {
  const std::lock_guard<std::mutex> hold(syslog_mutex);
  const std::string identity(source);
  openlog(identity.c_str(), LOG_PID, LOG_DAEMON);
  syslog(LOG_ERR, "%.*s", static_cast<int>(first_line.size()), first_line.data());
  syslog(LOG_ERR, "%.*s", static_cast<int>(message.size()), message.data());
  closelog();
}

void WriteNoteToSyslog(std::string_view source, EventLog::Severity severity,
                       std::string_view message) {
  const std::lock_guard<std::mutex> hold(syslog_mutex);
  const std::string identity(source);
  openlog(identity.c_str(), LOG_PID, LOG_DAEMON);
  syslog(severity == EventLog::Severity::kWarning ? LOG_WARNING : LOG_NOTICE, "%.*s",
         static_cast<int>(message.size()), message.data());
  closelog();
}

}  // namespace

EventLog::EventLog(std::string source, bool console, Sink sink, NoteSink note_sink)
    : source_(std::move(source)),
      console_(console),
      sink_(std::move(sink)),
      note_sink_(std::move(note_sink)) {
  if (!sink_) sink_ = WriteToSyslog;
  if (!note_sink_) note_sink_ = WriteNoteToSyslog;
}

void EventLog::Report(std::string_view message) {
  if (console_) return;
  const int code = errno;
  saved_code_.store(code);
  const std::string first_line = source_ + " error: " + std::to_string(code);
  sink_(source_, first_line, message);
}

void EventLog::Note(Severity severity, std::string_view message) {
  if (console_) return;
  note_sink_(source_, severity, message);
}

}  // namespace corvane::host
