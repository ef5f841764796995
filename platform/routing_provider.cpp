#include "platform/routing_provider.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/counter_path.h"

namespace corvane {
namespace {

enum Route : std::size_t { kLocal = 0, kRemote = 1 };

// A path's machine part is the collector's: two backslashes, a name and a third backslash.
Route RouteOf(std::string_view path) { return MachinePart(path).empty() ? kLocal : kRemote; }

Route RouteOfMachine(std::string_view machine) { return machine.empty() ? kLocal : kRemote; }

using Providers = std::array<std::shared_ptr<perf::Provider>, 2>;

class RoutingQuery final : public perf::Query {
 public:
  explicit RoutingQuery(Providers providers) : providers_(std::move(providers)) {}

  perf::Status AddCounter(std::string_view path, perf::CounterHandle* handle) override {
    *handle = perf::kNullCounter;
    const Route route = RouteOf(path);
    perf::Provider* provider = providers_[route].get();
    if (provider == nullptr) return perf::kNoMachine;
    if (!queries_[route]) {
      std::unique_ptr<perf::Query> query;
      if (const perf::Status status = provider->OpenQuery(&query); status != perf::kOk)
        return status;
      if (!query) return perf::kMemoryAllocationFailure;
      if (limit_) query->SetCollectTimeLimit(*limit_);
      queries_[route] = std::move(query);
    }
    perf::CounterHandle inner = perf::kNullCounter;
    if (const perf::Status status = queries_[route]->AddCounter(path, &inner);
        status != perf::kOk) {
      last_error_ = queries_[route]->LastError();
      return status;
    }
    last_error_.clear();
    routes_.push_back(Entry{route, inner});
    ++counters_[route];
    *handle = static_cast<perf::CounterHandle>(routes_.size());
    return perf::kOk;
  }

  perf::Status RemoveCounter(perf::CounterHandle handle) override {
    Entry* entry = Find(handle);
    if (entry == nullptr) return perf::kInvalidHandle;
    const perf::Status status = queries_[entry->route]->RemoveCounter(entry->inner);
    --counters_[entry->route];
    entry->inner = perf::kNullCounter;
    return status;
  }

  // Collects the local counters, then the remote ones (bounded by the time limit).
  perf::Status Collect() override {
    perf::Status result = perf::kNoData;
    last_error_.clear();
    for (std::size_t route = 0; route < queries_.size(); ++route) {
      if (!queries_[route] || counters_[route] == 0) continue;
      const perf::Status status = queries_[route]->Collect();
      if (status != perf::kOk) {
        const std::string reason = queries_[route]->LastError();
        if (!reason.empty()) last_error_ += (last_error_.empty() ? "" : "; ") + reason;
      }
      if (status == perf::kOk || result == perf::kNoData) result = status;
    }
    return result;
  }

  std::string LastError() const override { return last_error_; }

  std::string CounterError(perf::CounterHandle handle) const override {
    if (handle == perf::kNullCounter || handle > routes_.size()) return {};
    const Entry& entry = routes_[handle - 1];
    if (entry.inner == perf::kNullCounter) return {};
    return queries_[entry.route]->CounterError(entry.inner);
  }

  void SetCollectTimeLimit(std::chrono::milliseconds limit) override {
    limit_ = limit;
    for (const auto& query : queries_)
      if (query) query->SetCollectTimeLimit(limit);
  }

  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override {
    Entry* entry = Find(handle);
    if (entry == nullptr) return perf::kInvalidHandle;
    return queries_[entry->route]->GetFormattedDouble(entry->inner, value);
  }

  // kOk when one of the inner queries has history.
  perf::Status FillHistory(int samples, std::chrono::milliseconds step) override {
    perf::Status result = perf::kNoData;
    for (std::size_t route = 0; route < queries_.size(); ++route) {
      if (!queries_[route] || counters_[route] == 0) continue;
      if (queries_[route]->FillHistory(samples, step) == perf::kOk) result = perf::kOk;
    }
    return result;
  }

  perf::Status GetHistory(perf::CounterHandle handle, std::vector<double>* values) const override {
    values->clear();
    if (handle == perf::kNullCounter || handle > routes_.size()) return perf::kInvalidHandle;
    const Entry& entry = routes_[handle - 1];
    if (entry.inner == perf::kNullCounter) return perf::kInvalidHandle;
    return queries_[entry.route]->GetHistory(entry.inner, values);
  }

 private:
  struct Entry {
    Route route;
    perf::CounterHandle inner;  // kNullCounter once removed
  };

  Entry* Find(perf::CounterHandle handle) {
    if (handle == perf::kNullCounter || handle > routes_.size()) return nullptr;
    Entry* entry = &routes_[handle - 1];
    return entry->inner == perf::kNullCounter ? nullptr : entry;
  }

  Providers providers_;  // shared, so a query may outlive the provider that opened it
  std::array<std::unique_ptr<perf::Query>, 2> queries_;
  std::array<std::size_t, 2> counters_{};           // counters in each inner query
  std::vector<Entry> routes_;                       // handle = index + 1
  std::optional<std::chrono::milliseconds> limit_;  // given before the inner query was opened
  std::string last_error_;
};

class RoutingProvider final : public perf::Provider {
 public:
  explicit RoutingProvider(Providers providers) : providers_(std::move(providers)) {}

  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override {
    *query = std::make_unique<RoutingQuery>(providers_);
    return perf::kOk;
  }

  perf::Status ConnectMachine(std::string_view machine) override {
    perf::Provider* provider = For(machine);
    return provider == nullptr ? perf::kNoMachine : provider->ConnectMachine(machine);
  }

  void ConnectMachines(std::span<const std::string> machines,
                       std::span<perf::Status> statuses) override {
    // Each provider takes its machines in one call, so the remote ones are tried together.
    for (const Route route : {kLocal, kRemote}) {
      std::vector<std::string> mine;
      std::vector<std::size_t> at;
      for (std::size_t i = 0; i < machines.size() && i < statuses.size(); ++i) {
        if (RouteOfMachine(machines[i]) != route) continue;
        mine.push_back(machines[i]);
        at.push_back(i);
      }
      if (mine.empty()) continue;
      std::vector<perf::Status> results(mine.size(), perf::kNoMachine);
      if (providers_[route]) providers_[route]->ConnectMachines(mine, results);
      for (std::size_t j = 0; j < at.size(); ++j) statuses[at[j]] = results[j];
    }
  }

  std::string MachineError(std::string_view machine) const override {
    perf::Provider* provider = For(machine);
    return provider == nullptr ? std::string() : provider->MachineError(machine);
  }

  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override {
    for (const auto& provider : providers_)
      if (provider) provider->SetMachineWatcher(watcher);
  }

  void SetRemoteServer(std::string_view url) override {
    if (providers_[kRemote]) providers_[kRemote]->SetRemoteServer(url);
  }

  perf::Status EnumMachines(std::vector<perf::MachineListing>* machines) override {
    if (!providers_[kRemote]) return perf::Provider::EnumMachines(machines);
    return providers_[kRemote]->EnumMachines(machines);
  }

  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override {
    perf::Provider* provider = For(machine);
    return provider == nullptr ? perf::kNoMachine
                               : provider->LookupNameByIndex(machine, index, name);
  }

  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override {
    perf::Provider* provider = For(machine);
    return provider == nullptr ? perf::kNoMachine : provider->EnumObjects(machine, objects);
  }

  perf::Status EnumObjectItems(std::string_view machine, std::string_view object,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override {
    perf::Provider* provider = For(machine);
    return provider == nullptr ? perf::kNoMachine
                               : provider->EnumObjectItems(machine, object, counters, instances);
  }

 private:
  perf::Provider* For(std::string_view machine) const {
    return providers_[RouteOfMachine(machine)].get();
  }

  Providers providers_;
};

}  // namespace

std::unique_ptr<perf::Provider> MakeRoutingProvider(std::shared_ptr<perf::Provider> local,
                                                    std::shared_ptr<perf::Provider> remote) {
  return std::make_unique<RoutingProvider>(Providers{std::move(local), std::move(remote)});
}

}  // namespace corvane
