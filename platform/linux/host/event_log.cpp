#include "platform/linux/host/event_log.h"

#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

int SyslogPriority(EventLog::Severity severity) {
  return severity == EventLog::Severity::kWarning ? LOG_WARNING : LOG_NOTICE;
}

// journald runs where its native socket exists (sd_journal_sendv itself succeeds silently
// without one). Where it is missing or the send fails, the note goes to syslog instead, so it
// is never lost.
void WriteNoteWithFields(std::string_view source, EventLog::Severity severity,
                         std::string_view message, std::span<const EventLog::Field> fields) {
  std::vector<std::string> lines;
  lines.reserve(fields.size() + 4);
  lines.push_back("MESSAGE=" + std::string(message));
  lines.push_back("PRIORITY=" + std::to_string(SyslogPriority(severity)));
  lines.push_back("SYSLOG_IDENTIFIER=" + std::string(source));
  lines.push_back("SYSLOG_FACILITY=" + std::to_string(LOG_DAEMON >> 3));
  for (const EventLog::Field& field : fields) {
    lines.push_back(std::string(field.name) + "=" + field.value);
  }
  std::vector<iovec> parts(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    parts[i].iov_base = lines[i].data();
    parts[i].iov_len = lines[i].size();
  }
  if (::access("/run/systemd/journal/socket", F_OK) == 0 &&
      sd_journal_sendv(parts.data(), static_cast<int>(parts.size())) >= 0) {
    return;
  }
  WriteNoteToSyslog(source, severity, message);
}

}  // namespace

EventLog::EventLog(std::string source, bool console, Sink sink, NoteSink note_sink,
                   FieldNoteSink field_note_sink)
    : source_(std::move(source)),
      console_(console),
      sink_(std::move(sink)),
      note_sink_(std::move(note_sink)),
      field_note_sink_(std::move(field_note_sink)) {
  if (!sink_) sink_ = WriteToSyslog;
  if (!note_sink_) note_sink_ = WriteNoteToSyslog;
  if (!field_note_sink_) field_note_sink_ = WriteNoteWithFields;
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

void EventLog::Note(Severity severity, std::string_view message, std::span<const Field> fields) {
  if (console_) return;
  field_note_sink_(source_, severity, message, fields);
}

}  // namespace corvane::host
