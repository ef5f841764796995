#include "platform/remote/server_directory.h"

#include <algorithm>
#include <chrono>

#include "platform/remote/exporter_page.h"
#include "platform/remote/exporter_scrape.h"
#include "platform/remote/server_series.h"

namespace corvane::remote {

ServerDirectory::ServerDirectory(ServerOptions options)
    : options_(std::move(options)), base_(ServerBase(options_.url)) {}

void ServerDirectory::SetWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  cache_.SetWatcher(std::move(watcher));
}

bool ServerDirectory::Ask(std::string_view api_path, const std::string& form, ServerAnswer* answer,
                          std::string* reason, std::chrono::milliseconds limit) const {
  limit = std::min(limit, options_.total_timeout);
  ServerRequest request(options_);
  request.Run(api_path, form, std::chrono::steady_clock::now() + limit);
  if (request.running()) {
    request.Cancel();
    *reason = base_ + ": no answer within " + std::to_string(limit.count()) + " ms";
    return false;
  }
  return request.Answer(answer, reason);
}

void ServerDirectory::NoteServer(const std::string& error) {
  const Answering now = error.empty() ? Answering::kYes : Answering::kNo;
  Answering was = Answering::kUnknown;
  {
    std::lock_guard lock(mutex_);
    was = server_;
    server_ = now;
    server_error_ = error;
  }
  cache_.Tell(base_, was, now, error, /*server=*/true);
}

void ServerDirectory::NoteInstance(const std::string& instance, const std::string& error) {
  cache_.Note(instance, error);
}

void ServerDirectory::ConnectAll(std::span<const std::string> machines,
                                 std::span<perf::Status> statuses) {
  std::vector<std::string> instances;
  for (const std::string& machine : machines) {
    std::string instance = InstanceOfMachine(machine);
    if (!instance.empty() &&
        std::find(instances.begin(), instances.end(), instance) == instances.end())
      instances.push_back(std::move(instance));
  }
  ServerAnswer answer;
  std::string server_error;
  if (!instances.empty()) {
    const std::string selector =
        "{__name__=~\"up|node_.+|windows_.+\",instance=~" + ExactAlternatives(instances) + "}";
    if (Ask("/api/v1/query", "query=" + FormEscape(selector), &answer, &server_error)) {
      NoteServer({});
    } else {
      NoteServer(server_error);
    }
  }
  const auto by_instance = SeriesByInstance(answer);
  const double now = SteadySeconds();
  for (std::size_t i = 0; i < machines.size(); ++i) {
    const std::string instance = InstanceOfMachine(machines[i]);
    Cache::Entry entry;
    if (instance.empty()) {
      entry.error = machines[i] + ": no instance named";
    } else if (!server_error.empty()) {
      entry.error = server_error;
    } else if (const auto it = by_instance.find(instance); it == by_instance.end()) {
      entry.error = instance + ": unknown to the server " + base_ +
                    " (no target it scrapes has this instance)";
    } else if (it->second.series == 0) {
      entry.error = it->second.has_up && it->second.up == 0
                        ? instance + ": the server " + base_ + " cannot scrape it (its \"up\" is 0)"
                        : instance + ": the server " + base_ + " holds no exporter series of it";
    } else {
      auto text = std::make_shared<const std::string>(PageText(it->second));
      auto page = std::make_unique<ExporterPage>();
      page->Load(*text);
      entry.info.kind = RecogniseExporter(*page);
      if (entry.info.kind == ExporterKind::kUnknown) {
        entry.error = instance + ": the server's series of it are neither node_exporter nor " +
                      "windows_exporter output";
      } else {
        entry.connected = true;
        entry.info.page = std::move(text);
        entry.info.page_time = now;
      }
    }
    const bool connected = entry.connected;
    // While the server does not answer only the server's own change is told.
    cache_.Record(instance, machines[i], std::move(entry), server_error.empty());
    if (i < statuses.size()) statuses[i] = connected ? perf::kOk : perf::kCannotConnectMachine;
  }
}

perf::Status ServerDirectory::Connect(std::string_view machine, InstanceInfo* info) {
  return cache_.Connect(machine, info, ConnectAllOf());
}

perf::Status ServerDirectory::Find(std::string_view machine, InstanceInfo* info) {
  return cache_.Find(machine, info, ConnectAllOf());
}

perf::Status ServerDirectory::Browse(std::string_view machine, InstanceInfo* info) {
  return cache_.Browse(machine, info, SteadySeconds(), 2.0, ConnectAllOf());
}

ServerDirectory::Cache::ConnectAll ServerDirectory::ConnectAllOf() {
  return [this](std::span<const std::string> machines, std::span<perf::Status> statuses) {
    ConnectAll(machines, statuses);
  };
}

perf::Status ServerDirectory::ListTargets(std::vector<perf::MachineListing>* targets) {
  targets->clear();
  ServerAnswer answer;
  std::string reason;
  // A dialog waits for the list: a server that does not answer costs it 2 s at most.
  if (!Ask("/api/v1/query", "query=up", &answer, &reason, std::chrono::milliseconds(2000))) {
    NoteServer(reason);
    return perf::kNoMachine;
  }
  NoteServer({});
  for (const ServerSeries& series : answer.series) {
    const std::string_view instance = series.Label("instance");
    if (instance.empty() || series.samples.empty() || series.Label("__name__") != "up") continue;
    targets->push_back(perf::MachineListing{std::string(instance), std::string(series.Label("job")),
                                            series.samples.back().value == 1});
  }
  std::sort(targets->begin(), targets->end(),
            [](const perf::MachineListing& a, const perf::MachineListing& b) {
              return a.name != b.name ? a.name < b.name : a.job < b.job;
            });
  return perf::kOk;
}

std::string ServerDirectory::LastError(std::string_view machine) const {
  {
    std::lock_guard lock(mutex_);
    if (server_ == Answering::kNo || machine.empty() || ServerBase(machine) == base_)
      return server_error_;
  }
  return cache_.Error(InstanceOfMachine(machine));
}

}  // namespace corvane::remote
