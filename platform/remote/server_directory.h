// The instances of one Prometheus server that a provider has met: for each, whether
// connecting worked, which exporter wrote its series, the exposition text of its series at
// that connection (to check counters against and to browse), the last error and whether it
// answers now; and whether the server itself answers. A watcher hears of every change: of the
// server (named by its address) and, while the server answers, of each instance.
// Any thread; the lock is never held during network I/O or while the watcher is told.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/remote/connection_cache.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/server_request.h"
#include "platform/remote/server_series.h"

namespace corvane::remote {

struct InstanceInfo {
  ExporterKind kind = ExporterKind::kUnknown;
  std::shared_ptr<const std::string> page;  // the instance's series as an exporter page
  double page_time = 0;                     // steady-clock seconds of that page
};

class ServerDirectory {
 public:
  explicit ServerDirectory(ServerOptions options);

  const ServerOptions& options() const { return options_; }
  const std::string& base() const { return base_; }

  // One request for the series of all the machines' instances; statuses[i] answers
  // machines[i]: kOk, or kCannotConnectMachine with LastError saying why (the server did not
  // answer, the instance is unknown to it, its last scrape failed, no exporter's series).
  void ConnectAll(std::span<const std::string> machines, std::span<perf::Status> statuses);
  perf::Status Connect(std::string_view machine, InstanceInfo* info = nullptr);
  // As the last connection left it, connecting first when never tried (kNoMachine when that
  // connection failed).
  perf::Status Find(std::string_view machine, InstanceInfo* info);
  // For browsing: the held series when at most two seconds old, else a new connection.
  perf::Status Browse(std::string_view machine, InstanceInfo* info);

  // The server's targets from its "up" series, sorted by instance.
  perf::Status ListTargets(std::vector<perf::MachineListing>* targets);

  // Outcome of a later request: an empty error records that the server answered.
  void NoteServer(const std::string& error);
  // Outcome for one instance in an answer; empty: it had its series.
  void NoteInstance(const std::string& instance, const std::string& error);

  // Why the instance's last connection or reading failed (the server's reason while the
  // server does not answer); for "" why the server's last request failed.
  std::string LastError(std::string_view machine) const;

  void SetWatcher(std::shared_ptr<perf::MachineWatcher> watcher);

  // One request to the server's API, waiting at most `limit` (the request time-out when
  // longer or not given).
  bool Ask(std::string_view api_path, const std::string& form, ServerAnswer* answer,
           std::string* reason,
           std::chrono::milliseconds limit = std::chrono::milliseconds::max()) const;

 private:
  using Cache = ConnectionCache<InstanceInfo>;
  using Answering = Cache::Answering;

  Cache::ConnectAll ConnectAllOf();

  const ServerOptions options_;
  const std::string base_;
  Cache cache_{&InstanceOfMachine};  // by instance
  mutable std::mutex mutex_;         // of the server's own state
  Answering server_ = Answering::kUnknown;
  std::string server_error_;
};

}  // namespace corvane::remote
