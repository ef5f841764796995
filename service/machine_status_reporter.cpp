#include "service/machine_status_reporter.h"

namespace corvane::service {

std::string MachineStatusReporter::UnreachableText(std::string_view machine,
                                                   std::string_view reason) {
  std::string text = "Remote machine " + std::string(machine) + " does not answer";
  if (!reason.empty()) text += ": " + std::string(reason);
  return text + "; its counters are not available until it answers again";
}

std::string MachineStatusReporter::AnswersAgainText(std::string_view machine) {
  return "Remote machine " + std::string(machine) + " answers again";
}

std::string MachineStatusReporter::ServerUnreachableText(std::string_view server,
                                                         std::string_view reason) {
  std::string text = "Prometheus server at " + std::string(server) + " does not answer";
  if (!reason.empty()) text += ": " + std::string(reason);
  return text + "; the counters read through it are not available until it answers again";
}

std::string MachineStatusReporter::ServerAnswersAgainText(std::string_view server) {
  return "Prometheus server at " + std::string(server) + " answers again";
}

void MachineStatusReporter::MachineUnreachable(std::string_view machine, std::string_view reason) {
  channel_.Tell(host::EventLog::Severity::kWarning, UnreachableText(machine, reason));
}

void MachineStatusReporter::MachineAnswersAgain(std::string_view machine) {
  channel_.Tell(host::EventLog::Severity::kNotice, AnswersAgainText(machine));
}

void MachineStatusReporter::ServerUnreachable(std::string_view server, std::string_view reason) {
  channel_.Tell(host::EventLog::Severity::kWarning, ServerUnreachableText(server, reason));
}

void MachineStatusReporter::ServerAnswersAgain(std::string_view server) {
  channel_.Tell(host::EventLog::Severity::kNotice, ServerAnswersAgainText(server));
}

}  // namespace corvane::service
