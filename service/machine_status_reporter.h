// Tells where the service's notices go (see notice_channel.h) when a remote machine of the
// profile, or the Prometheus server it is read through, stops answering, with the reason, and
// when it answers again: one line per change,
// never one per sample. The provider calls it on the collector thread (or the thread that
// connected); any thread may.
#pragma once

#include <string>
#include <string_view>

#include "core/perf_data.h"
#include "service/notice_channel.h"

namespace corvane::service {

class MachineStatusReporter final : public perf::MachineWatcher {
 public:
  explicit MachineStatusReporter(NoticeChannel channel) : channel_(channel) {}

  void MachineUnreachable(std::string_view machine, std::string_view reason) override;
  void MachineAnswersAgain(std::string_view machine) override;
  void ServerUnreachable(std::string_view server, std::string_view reason) override;
  void ServerAnswersAgain(std::string_view server) override;

  // The lines, for the system log and the console alike.
  static std::string UnreachableText(std::string_view machine, std::string_view reason);
  static std::string AnswersAgainText(std::string_view machine);
  static std::string ServerUnreachableText(std::string_view server, std::string_view reason);
  static std::string ServerAnswersAgainText(std::string_view server);

 private:
  NoticeChannel channel_;
};

}  // namespace corvane::service
