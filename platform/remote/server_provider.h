// The counter provider for remote machines read through a Prometheus server: a path's machine
// part names an instance as the server labels it (\\web-03:9100\Processor(_Total)\% Processor
// Time), and its counters come from the series the server scraped from that instance's
// exporter, read by the same tables as a direct scrape. Any thread may call the provider; each
// query belongs to the thread that opened it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/remote/server_directory.h"
#include "platform/remote/server_request.h"

namespace corvane::remote {

class ServerProvider final : public perf::Provider {
 public:
  explicit ServerProvider(ServerOptions options);

  const std::string& base() const { return server_->base(); }

  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override;
  perf::Status ConnectMachine(std::string_view machine) override;
  // All instances in one request.
  void ConnectMachines(std::span<const std::string> machines,
                       std::span<perf::Status> statuses) override;
  std::string MachineError(std::string_view machine) const override;
  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override;
  // The server's targets, from its "up" series.
  perf::Status EnumMachines(std::vector<perf::MachineListing>* machines) override;
  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override;
  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override;
  perf::Status EnumObjectItems(std::string_view machine, std::string_view object,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override;

 private:
  std::shared_ptr<ServerDirectory> server_;
};

}  // namespace corvane::remote
