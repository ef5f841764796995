// The counter provider for remote machines: a path's machine part names a host running a
// Prometheus exporter (node_exporter on Linux, windows_exporter on Windows), and its counters
// come from that exporter's /metrics page:
//   \\host               node_exporter on port 9100, else windows_exporter on port 9182
//   \\host:port          that port, either exporter
//   \\[2001:db8::7]:9100 an IPv6 address
//   \\https://host:port  HTTPS (http:// may be written too)
// Any thread may call the provider; each query belongs to the thread that opened it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/remote/exporter_scrape.h"
#include "platform/remote/machine_directory.h"

namespace corvane::remote {

struct RemoteProviderOptions {
  ScrapeOptions scrape;
};

class RemoteProvider final : public perf::Provider {
 public:
  explicit RemoteProvider(RemoteProviderOptions options = {});

  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override;
  // One scrape, recognised as an exporter's page; every call tries again.
  perf::Status ConnectMachine(std::string_view machine) override;
  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override;
  // The objects with at least one counter the machine's exporter writes, from a scrape.
  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override;
  perf::Status EnumObjectItems(std::string_view machine, std::string_view object,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override;

  // All machines' scrapes side by side: machines that do not answer cost one time-out.
  void ConnectMachines(std::span<const std::string> machines,
                       std::span<perf::Status> statuses) override;

  // Why the machine's last connection or scrape failed, with the URL and the system's or the
  // server's reason ("connection refused", "unknown host", "timed out after 4 s", "HTTP
  // status 503", "not a metrics page", "answer larger than 32 MB", "TLS error: ..."); empty
  // when it did not fail.
  std::string MachineError(std::string_view machine) const override;

  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override;

 private:
  std::shared_ptr<MachineDirectory> machines_;
};

std::unique_ptr<RemoteProvider> MakeRemoteProvider(RemoteProviderOptions options = {});

}  // namespace corvane::remote
