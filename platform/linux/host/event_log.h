// The service's error events in the system log: syslog with the identity of the event source
// (facility daemon, priority error), where journald picks them up. One event is two lines:
// "<source> error: <code>" and the message; a note is one line.
//
// Any thread: the saved code is atomic and syslog(3) is thread-safe.
#pragma once

#include <atomic>
#include <functional>
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

  // In console mode nothing is recorded: the console shows what matters.
  EventLog(std::string source, bool console, Sink sink = {}, NoteSink note_sink = {});

  // Records one error event with the current errno as its code, and keeps that code.
  void Report(std::string_view message);

  // Records one line that is no error event and keeps no code, such as a failing activity log
  // and its recovery.
  void Note(Severity severity, std::string_view message);

  // The code of the last report (errno then), 0 when none; the service's exit status.
  int saved_code() const { return saved_code_.load(); }

 private:
  std::string source_;
  bool console_;
  Sink sink_;
  NoteSink note_sink_;
  std::atomic<int> saved_code_{0};
};

}  // namespace corvane::host
