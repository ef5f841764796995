// The service's error events in the system log: syslog with the identity of the event source
// (facility daemon, priority error), where journald picks them up. One event is two lines:
// "<source> error: <code>" and the message; a note is one line. A note with fields goes to the
// journal through its native protocol (sd_journal_send) when journald runs, with the fields as
// journal fields a log pipeline can filter on, and to syslog as a plain note otherwise.
//
// Any thread: the saved code is atomic and syslog(3) is thread-safe.
#pragma once

#include <atomic>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::host {

class EventLog {
 public:
  // Receives the two lines of one event; the default writes them to syslog.
  using Sink = std::function<void(std::string_view source, std::string_view first_line,
                                  std::string_view message)>;

  // How much a one-line note matters: a warning (something fails) or a notice (news).
  enum class Severity { kWarning, kNotice };
  // Receives one note; the default writes it to syslog at LOG_WARNING or LOG_NOTICE.
  using NoteSink =
      std::function<void(std::string_view source, Severity severity, std::string_view message)>;

  // One journal field of a note: an upper-case name ("CORVANE_VALUE") and its value.
  struct Field {
    std::string_view name;
    std::string value;
  };
  // Receives one note with fields; the default writes it to the journal (SYSLOG_IDENTIFIER the
  // source, PRIORITY 4 or 5, facility daemon, MESSAGE and the fields) when the journal takes
  // it, else to syslog as NoteSink's default does.
  using FieldNoteSink = std::function<void(std::string_view source, Severity severity,
                                           std::string_view message, std::span<const Field>)>;

  // In console mode nothing is recorded: the console shows what matters.
  EventLog(std::string source, bool console, Sink sink = {}, NoteSink note_sink = {},
           FieldNoteSink field_note_sink = {});

  // Records one error event with the current errno as its code, and keeps that code.
  void Report(std::string_view message);

  // Records one line that is no error event and keeps no code, such as a failing activity log
  // and its recovery.
  void Note(Severity severity, std::string_view message);
  // The same with journal fields, such as a counter's alert.
  void Note(Severity severity, std::string_view message, std::span<const Field> fields);

  // The code of the last report (errno then), 0 when none; the service's exit status.
  int saved_code() const { return saved_code_.load(); }

 private:
  std::string source_;
  bool console_;
  Sink sink_;
  NoteSink note_sink_;
  FieldNoteSink field_note_sink_;
  std::atomic<int> saved_code_{0};
};

}  // namespace corvane::host
