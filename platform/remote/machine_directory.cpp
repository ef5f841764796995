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
  std::lock_guard lock(mutex_);
  watcher_ = std::move(watcher);
}

void MachineDirectory::Tell(const std::string& name, Answering was, Answering now,
                            const std::string& error) {
  if (was == now || (was == Answering::kUnknown && now == Answering::kYes)) return;
  std::shared_ptr<perf::MachineWatcher> watcher;
  {
    std::lock_guard lock(mutex_);
    watcher = watcher_;
  }
  if (watcher == nullptr) return;
  if (now == Answering::kNo) {
    watcher->MachineUnreachable(name, error);
  } else {
    watcher->MachineAnswersAgain(name);
  }
}

void MachineDirectory::Record(const std::string& key, std::string_view name, Entry entry) {
  Answering was = Answering::kUnknown;
  entry.answering = entry.connected ? Answering::kYes : Answering::kNo;
  const Answering now = entry.answering;
  const std::string error = entry.error;
  std::string shown(name);
  {
    std::lock_guard lock(mutex_);
    Entry& stored = entries_[key];
    was = stored.answering;
    if (!stored.name.empty()) shown = stored.name;
    entry.name = shown;
    stored = std::move(entry);
  }
  Tell(shown, was, now, error);
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
      Entry entry;
      entry.error = machines[i] + ": " + attempt.error;
      Record(machines[i], machines[i], std::move(entry));
      if (i < statuses.size()) statuses[i] = perf::kInvalidPath;
      continue;
    }
    Entry entry;
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
    Record(attempt.address.Key(), machines[i], std::move(entry));
    if (i < statuses.size()) statuses[i] = connected ? perf::kOk : perf::kCannotConnectMachine;
  }
}

perf::Status MachineDirectory::Connect(std::string_view machine, MachineInfo* info) {
  const std::string name(machine);
  perf::Status status = perf::kCannotConnectMachine;
  ConnectAll(std::span<const std::string>(&name, 1), std::span<perf::Status>(&status, 1));
  if (status == perf::kOk && info != nullptr) {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(KeyOf(machine));
    if (it != entries_.end()) *info = it->second.info;
  }
  return status;
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
  const Answering now = error.empty() ? Answering::kYes : Answering::kNo;
  Answering was = Answering::kUnknown;
  std::string name;
  std::string told;
  {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    if (it == entries_.end()) return;
    was = it->second.answering;
    it->second.answering = now;
    name = it->second.name;
    told = error;
    it->second.error = std::move(error);
  }
  Tell(name, was, now, told);
}

std::string MachineDirectory::LastError(std::string_view machine) const {
  std::string key = KeyOf(machine);
  if (key.empty()) key = std::string(machine);
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second.error;
}

}  // namespace corvane::remote
