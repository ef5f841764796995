// The remote machines a provider has met: for each, whether connecting to it worked, which
// exporter answers at which URL, the page of that connection (to check counters against and to
// browse), the last error, and whether it answers now, which a watcher hears of when it
// changes. Any thread; the lock is never held during network I/O or while the watcher is told.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/perf_data.h"
#include "platform/remote/connection_cache.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/exporter_scrape.h"

namespace corvane::remote {

struct MachineInfo {
  std::string url;  // "http://host:9100/metrics"
  ExporterKind kind = ExporterKind::kUnknown;
  std::shared_ptr<const ExporterPage> page;  // the last connection's page; shared, read-only
  double page_time = 0;                      // steady-clock seconds of that page
};

class MachineDirectory {
 public:
  explicit MachineDirectory(ScrapeOptions options) : options_(std::move(options)) {}

  const ScrapeOptions& options() const { return options_; }

  // One scrape that must succeed and be recognised as node_exporter or windows_exporter
  // output. Without a port in the machine part both exporters' ports are tried side by side,
  // node_exporter's first. kCannotConnectMachine on failure (LastError says why), kInvalidPath
  // for a machine part that is not an address.
  perf::Status Connect(std::string_view machine, MachineInfo* info = nullptr);
  // Connect for several machines at once: all their scrapes run side by side, so the whole
  // call takes at most one time-out. statuses[i] answers machines[i].
  void ConnectAll(std::span<const std::string> machines, std::span<perf::Status> statuses);

  // The machine as its last connection left it, connecting first when it was never tried.
  // kNoMachine when that connection failed: a machine is tried once until Connect is called
  // again.
  perf::Status Find(std::string_view machine, MachineInfo* info);

  // For browsing: the held page when it is at most two seconds old, else a new connection.
  perf::Status Browse(std::string_view machine, MachineInfo* info);

  // Records the outcome of a later scrape of a connected machine: an empty error records that
  // it answered. Tells the watcher when that changes whether the machine answers.
  void NoteScrapeError(const std::string& key, std::string error);

  // Why the machine's last connection or scrape failed; empty when it did not.
  std::string LastError(std::string_view machine) const;

  void SetWatcher(std::shared_ptr<perf::MachineWatcher> watcher);

  // The directory's key of a machine part ("http://host:9100"), empty when it is not one.
  static std::string KeyOf(std::string_view machine);

 private:
  using Cache = ConnectionCache<MachineInfo>;

  Cache::ConnectAll ConnectAllOf();

  const ScrapeOptions options_;
  Cache cache_{&MachineDirectory::KeyOf};  // by KeyOf
};

}  // namespace corvane::remote
