#include "platform/remote/machine_directory.h"

#include <vector>

#include "platform/remote/machine_address.h"

namespace corvane::remote {

std::string MachineDirectory::KeyOf(std::string_view machine) {
  MachineAddress address;
  if (ParseMachineAddress(machine, &address, nullptr) != perf::kOk) return {};
  return address.Key();
}

perf::Status MachineDirectory::Connect(std::string_view machine, MachineInfo* info) {
  MachineAddress address;
  std::string error;
  if (const perf::Status status = ParseMachineAddress(machine, &address, &error);
      status != perf::kOk) {
    std::lock_guard lock(mutex_);
    entries_[std::string(machine)] = Entry{false, {}, std::string(machine) + ": " + error};
    return status;
  }

  std::vector<std::unique_ptr<ExporterScrape>> scrapes;
  if (address.port != 0) {
    scrapes.push_back(std::make_unique<ExporterScrape>(address.MetricsUrl(address.port), options_));
  } else {
    scrapes.push_back(
        std::make_unique<ExporterScrape>(address.MetricsUrl(kNodeExporterPort), options_));
    scrapes.push_back(
        std::make_unique<ExporterScrape>(address.MetricsUrl(kWindowsExporterPort), options_));
  }
  std::vector<ExporterScrape*> run;
  for (const auto& scrape : scrapes) run.push_back(scrape.get());
  ScrapeRunner runner;
  runner.Run(run, options_.total_timeout);

  Entry entry;
  for (const auto& scrape : scrapes) {
    if (!scrape->ok()) {
      error += (error.empty() ? "" : "; ") + scrape->error();
      continue;
    }
    const ExporterKind kind = RecogniseExporter(scrape->page());
    if (kind == ExporterKind::kUnknown) {
      error += (error.empty() ? "" : "; ") + scrape->url() +
               ": the page is neither node_exporter nor windows_exporter output";
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
  if (connected && info != nullptr) *info = entry.info;
  std::lock_guard lock(mutex_);
  entries_[address.Key()] = std::move(entry);
  return connected ? perf::kOk : perf::kCannotConnectMachine;
}

perf::Status MachineDirectory::Find(std::string_view machine, MachineInfo* info) {
  const std::string key = KeyOf(machine);
  if (key.empty()) return perf::kInvalidPath;
  {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    if (it != entries_.end()) {
      if (!it->second.connected) return perf::kNoMachine;
      *info = it->second.info;
      return perf::kOk;
    }
  }
  const perf::Status status = Connect(machine, info);
  return status == perf::kCannotConnectMachine ? perf::kNoMachine : status;
}

perf::Status MachineDirectory::Browse(std::string_view machine, MachineInfo* info) {
  const std::string key = KeyOf(machine);
  if (key.empty()) return perf::kInvalidPath;
  {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    if (it != entries_.end() && it->second.connected &&
        SteadySeconds() - it->second.info.page_time <= 2.0) {
      *info = it->second.info;
      return perf::kOk;
    }
  }
  return Connect(machine, info);
}

void MachineDirectory::NoteScrapeError(const std::string& key, std::string error) {
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(key);
  if (it != entries_.end() && it->second.error != error) it->second.error = std::move(error);
}

std::string MachineDirectory::LastError(std::string_view machine) const {
  std::string key = KeyOf(machine);
  if (key.empty()) key = std::string(machine);
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second.error;
}

}  // namespace corvane::remote
