#include "platform/remote/server_provider.h"

#include "core/perf_names.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/server_query.h"

namespace corvane::remote {

ServerProvider::ServerProvider(ServerOptions options)
    : server_(std::make_shared<ServerDirectory>(std::move(options))) {}

perf::Status ServerProvider::OpenQuery(std::unique_ptr<perf::Query>* query) {
  *query = std::make_unique<ServerQuery>(server_);
  return perf::kOk;
}

perf::Status ServerProvider::ConnectMachine(std::string_view machine) {
  if (machine.empty()) return perf::kNoMachine;
  return server_->Connect(machine);
}

void ServerProvider::ConnectMachines(std::span<const std::string> machines,
                                     std::span<perf::Status> statuses) {
  server_->ConnectAll(machines, statuses);
}

std::string ServerProvider::MachineError(std::string_view machine) const {
  return server_->LastError(machine);
}

void ServerProvider::SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  server_->SetWatcher(std::move(watcher));
}

perf::Status ServerProvider::EnumMachines(std::vector<perf::MachineListing>* machines) {
  return server_->ListTargets(machines);
}

perf::Status ServerProvider::LookupNameByIndex(std::string_view, std::uint32_t index,
                                               std::string* name) {
  const std::string_view english = perf::EnglishName(index);
  if (english.empty()) return perf::kStringNotFound;
  *name = std::string(english);
  return perf::kOk;
}

perf::Status ServerProvider::EnumObjects(std::string_view machine,
                                         std::vector<std::string>* objects) {
  InstanceInfo info;
  if (const perf::Status status = server_->Browse(machine, &info); status != perf::kOk)
    return status;
  ExporterPage page;
  page.Load(*info.page);
  OfferedObjects(page, info.kind, objects);
  return perf::kOk;
}

perf::Status ServerProvider::EnumObjectItems(std::string_view machine, std::string_view object,
                                             std::vector<std::string>* counters,
                                             std::vector<std::string>* instances) {
  InstanceInfo info;
  if (const perf::Status status = server_->Browse(machine, &info); status != perf::kOk)
    return status;
  ExporterPage page;
  page.Load(*info.page);
  return OfferedItems(page, info.kind, object, counters, instances);
}

}  // namespace corvane::remote
