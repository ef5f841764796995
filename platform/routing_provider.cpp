#include "platform/routing_provider.h"

#include <array>
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
      queries_[route] = std::move(query);
    }
    perf::CounterHandle inner = perf::kNullCounter;
    if (const perf::Status status = queries_[route]->AddCounter(path, &inner); status != perf::kOk)
      return status;
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

  // Collects the local counters, then the remote ones (bounded by the scrape time-outs).
  perf::Status Collect() override {
    perf::Status result = perf::kNoData;
    for (std::size_t route = 0; route < queries_.size(); ++route) {
      if (!queries_[route] || counters_[route] == 0) continue;
      const perf::Status status = queries_[route]->Collect();
      if (status == perf::kOk || result == perf::kNoData) result = status;
    }
    return result;
  }

  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override {
    Entry* entry = Find(handle);
    if (entry == nullptr) return perf::kInvalidHandle;
    return queries_[entry->route]->GetFormattedDouble(entry->inner, value);
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
  std::array<std::size_t, 2> counters_{};  // counters in each inner query
  std::vector<Entry> routes_;              // handle = index + 1
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

  std::string MachineError(std::string_view machine) const override {
    const perf::Provider* provider = For(machine);
    return provider == nullptr ? std::string() : provider->MachineError(machine);
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
