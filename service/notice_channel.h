// Where the service tells what someone should hear of while no window is open: notes in the
// system log for the service, lines on the error stream in a console run, never both.
//
// Any thread: EventLog and stdio are thread-safe. The event log and the stream must outlive
// the channel.
#pragma once

#include <cstdio>
#include <string>

#include "platform/linux/host/event_log.h"

namespace corvane::service {

class NoticeChannel {
 public:
  NoticeChannel(bool console, host::EventLog* events, std::FILE* err)
      : console_(console), events_(events), err_(err) {}

  void Tell(host::EventLog::Severity severity, const std::string& text) const;

 private:
  bool console_;
  host::EventLog* events_;
  std::FILE* err_;
};

}  // namespace corvane::service
