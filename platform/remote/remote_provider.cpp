#include "platform/remote/remote_provider.h"

#include "core/perf_names.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/remote_query.h"

namespace corvane::remote {

RemoteProvider::RemoteProvider(RemoteProviderOptions options)
    : machines_(std::make_shared<MachineDirectory>(std::move(options.scrape))) {}

std::unique_ptr<RemoteProvider> MakeRemoteProvider(RemoteProviderOptions options) {
  return std::make_unique<RemoteProvider>(std::move(options));
}

perf::Status RemoteProvider::OpenQuery(std::unique_ptr<perf::Query>* query) {
  *query = std::make_unique<RemoteQuery>(machines_);
  return perf::kOk;
}

perf::Status RemoteProvider::ConnectMachine(std::string_view machine) {
  if (machine.empty()) return perf::kNoMachine;
  return machines_->Connect(machine);
}

perf::Status RemoteProvider::LookupNameByIndex(std::string_view, std::uint32_t index,
                                               std::string* name) {
  // Exporters name their metrics in English on every host, so every remote machine shares the
  // English names of the indexes.
  const std::string_view english = perf::EnglishName(index);
  if (english.empty()) return perf::kStringNotFound;
  *name = std::string(english);
  return perf::kOk;
}

perf::Status RemoteProvider::EnumObjects(std::string_view machine,
                                         std::vector<std::string>* objects) {
  MachineInfo info;
  if (const perf::Status status = machines_->Browse(machine, &info); status != perf::kOk)
    return status;
  OfferedObjects(*info.page, info.kind, objects);
  return perf::kOk;
}

perf::Status RemoteProvider::EnumObjectItems(std::string_view machine, std::string_view object,
                                             std::vector<std::string>* counters,
                                             std::vector<std::string>* instances) {
  MachineInfo info;
  if (const perf::Status status = machines_->Browse(machine, &info); status != perf::kOk)
    return status;
  return OfferedItems(*info.page, info.kind, object, counters, instances);
}

void RemoteProvider::ConnectMachines(std::span<const std::string> machines,
                                     std::span<perf::Status> statuses) {
  machines_->ConnectAll(machines, statuses);
}

void RemoteProvider::SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  machines_->SetWatcher(std::move(watcher));
}

std::string RemoteProvider::MachineError(std::string_view machine) const {
  return machines_->LastError(machine);
}

}  // namespace corvane::remote
