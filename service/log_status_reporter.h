// Tells of the activity log's failures where the service's notices go (see notice_channel.h):
// one line when the log starts failing, with the system's reason, and one when it is written
// again; never one per sample.
//
// Any thread: the engine calls it on the collector thread under its lock; EventLog and stdio
// are thread-safe. The event log and stream must outlive the reporter.
#pragma once

#include <cstdio>
#include <string>

#include "core/engine_host.h"
#include "platform/linux/host/event_log.h"
#include "service/notice_channel.h"

namespace corvane::service {

class LogStatusReporter final : public LogStatusSink {
 public:
  LogStatusReporter(bool console, host::EventLog* events, std::FILE* err);

  void LogFailing(const std::string& log_path, const std::string& reason) override;
  void LogRecovered(const std::string& log_path) override;

  // The two lines, for the system log and the console alike.
  static std::string FailingText(const std::string& log_path, const std::string& reason);
  static std::string RecoveredText(const std::string& log_path);

 private:
  NoticeChannel channel_;
};

}  // namespace corvane::service
