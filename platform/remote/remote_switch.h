// The remote side of the system provider: remote machines are scraped directly, or, once
// SetRemoteServer names a Prometheus server, read through that server. The server's provider
// is made on the first use of an address and kept while the address stays. Queries keep the
// way they were opened with. Any thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/perf_data.h"
#include "platform/remote/server_request.h"

namespace corvane::remote {

// Options for a server's address: its trust and credentials from the user's settings.
using ServerOptionsFor = std::function<ServerOptions(const std::string& url)>;

class RemoteSwitch final : public perf::Provider {
 public:
  RemoteSwitch(std::shared_ptr<perf::Provider> direct, ServerOptionsFor options);

  void SetRemoteServer(std::string_view url) override;
  // The server in use; empty when machines are scraped directly.
  std::string RemoteServer() const;

  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override;
  perf::Status ConnectMachine(std::string_view machine) override;
  void ConnectMachines(std::span<const std::string> machines,
                       std::span<perf::Status> statuses) override;
  std::string MachineError(std::string_view machine) const override;
  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override;
  perf::Status EnumMachines(std::vector<perf::MachineListing>* machines) override;
  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override;
  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override;
  perf::Status EnumObjectItems(std::string_view machine, std::string_view object,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override;

 private:
  std::shared_ptr<perf::Provider> Current() const;

  const std::shared_ptr<perf::Provider> direct_;
  const ServerOptionsFor options_;
  mutable std::mutex mutex_;
  std::string url_;
  std::shared_ptr<perf::Provider> server_;  // null while scraping directly
  std::shared_ptr<perf::MachineWatcher> watcher_;
};

}  // namespace corvane::remote
