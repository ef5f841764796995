#include "platform/remote/machine_directory.h"

#include <chrono>
#include <vector>

#include "platform/remote/machine_address.h"

namespace corvane::remote {

std::string MachineDirectory::KeyOf(std::string_view machine) {
  MachineAddress address;
  if (ParseMachineAddress(machine, &address, nullptr) != perf::kOk) return {};
  return address.Key();
}

void MachineDirectory::SetWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  cache_.SetWatcher(std::move(watcher));
}

void MachineDirectory::ConnectAll(std::span<const std::string> machines,
                                  std::span<perf::Status> statuses) {
  struct Attempt {
    MachineAddress address;
    std::string error;
    bool valid = false;
    std::vector<std::unique_ptr<ExporterScrape>> scrapes;
  };
  std::vector<Attempt> attempts(machines.size());
  std::vector<ExporterScrape*> run;
  for (std::size_t i = 0; i < machines.size(); ++i) {
    Attempt& attempt = attempts[i];
    attempt.valid = ParseMachineAddress(machines[i], &attempt.address, &attempt.error) == perf::kOk;
    if (!attempt.valid) continue;
    const MachineAddress& address = attempt.address;
    if (address.port != 0) {
      attempt.scrapes.push_back(
          std::make_unique<ExporterScrape>(address.MetricsUrl(address.port), options_));
    } else {
      attempt.scrapes.push_back(
          std::make_unique<ExporterScrape>(address.MetricsUrl(kNodeExporterPort), options_));
      attempt.scrapes.push_back(
          std::make_unique<ExporterScrape>(address.MetricsUrl(kWindowsExporterPort), options_));
    }
    for (const auto& scrape : attempt.scrapes) run.push_back(scrape.get());
  }
  {
    // Each fetch ends by its own time-out; the deadline only guards against one that libcurl
    // never reports as done.
    ScrapeRunner runner;
    runner.Run(run, std::chrono::steady_clock::now() + options_.total_timeout +
                        std::chrono::milliseconds(250));
    for (ExporterScrape* scrape : run) runner.Cancel(scrape);
  }

  for (std::size_t i = 0; i < machines.size(); ++i) {
    Attempt& attempt = attempts[i];
    if (!attempt.valid) {
      Cache::Entry entry;
      entry.error = machines[i] + ": " + attempt.error;
      cache_.Record(machines[i], machines[i], std::move(entry));
      if (i < statuses.size()) statuses[i] = perf::kInvalidPath;
      continue;
    }
    Cache::Entry entry;
    std::string error;
    for (const auto& scrape : attempt.scrapes) {
      if (!scrape->ok()) {
        error += (error.empty() ? "" : "; ") + scrape->error();
        continue;
      }
      const ExporterKind kind = RecogniseExporter(scrape->page());
      if (kind == ExporterKind::kUnknown) {
        error += (error.empty() ? "" : "; ") + scrape->url() +
                 ": not an exporter's page (neither node_exporter nor windows_exporter output)";
        continue;
      }
      entry.connected = true;
      entry.info.url = scrape->url();
      entry.info.kind = kind;
      entry.info.page_time = scrape->read_time();
      entry.info.page = scrape->TakePage();
      break;
    }
    if (!entry.connected) entry.error = std::move(error);
    const bool connected = entry.connected;
    cache_.Record(attempt.address.Key(), machines[i], std::move(entry));
    if (i < statuses.size()) statuses[i] = connected ? perf::kOk : perf::kCannotConnectMachine;
  }
}

perf::Status MachineDirectory::Connect(std::string_view machine, MachineInfo* info) {
  return cache_.Connect(machine, info, ConnectAllOf());
}

perf::Status MachineDirectory::Find(std::string_view machine, MachineInfo* info) {
  return cache_.Find(machine, info, ConnectAllOf());
}

perf::Status MachineDirectory::Browse(std::string_view machine, MachineInfo* info) {
  return cache_.Browse(machine, info, SteadySeconds(), 2.0, ConnectAllOf());
}

void MachineDirectory::NoteScrapeError(const std::string& key, std::string error) {
  cache_.Note(key, error);
}

std::string MachineDirectory::LastError(std::string_view machine) const {
  const std::string key = KeyOf(machine);
  return cache_.Error(key.empty() ? machine : std::string_view(key));
}

MachineDirectory::Cache::ConnectAll MachineDirectory::ConnectAllOf() {
  return [this](std::span<const std::string> machines, std::span<perf::Status> statuses) {
    ConnectAll(machines, statuses);
  };
}

}  // namespace corvane::remote
