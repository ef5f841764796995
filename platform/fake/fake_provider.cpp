#include "platform/fake/fake_provider.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <mutex>
#include <utility>

#include "core/counter_path.h"
#include "core/perf_names.h"
#include "platform/fake/fake_query.h"

namespace corvane::fake {
namespace {

// The objects and counters the standard counter catalogue names, by their fixed indexes, so an
// unscripted fake answers the catalogue and the counter browser the way a plain machine would.
struct StandardObject {
  std::uint32_t object;
  std::initializer_list<std::uint32_t> counters;
  bool has_total;
};

const std::array<StandardObject, 9>& StandardObjects() {
  namespace ix = perf::index;
  static const std::array<StandardObject, 9> objects{{
      {ix::kProcessor, {ix::kProcessorTime}, true},
      {ix::kObjects, {ix::kProcesses, ix::kThreads}, false},
      {ix::kMemory, {ix::kCommittedBytesInUse}, false},
      {ix::kPagingFile, {ix::kUsage}, true},
      {ix::kSystem, {ix::kProcesses, ix::kThreads, ix::kRegistryQuotaInUse}, false},
      {ix::kLogicalDisk, {ix::kFreeSpace}, true},
      {ix::kPhysicalDisk, {ix::kDiskTime}, true},
      {ix::kNetworkInterface, {ix::kBytesTotalPerSec, ix::kCurrentBandwidth}, false},
      {ix::kServer, {ix::kServerSessions}, false},
  }};
  return objects;
}

template <typename T>
perf::Status CheckOut(T* out) {
  return out == nullptr ? perf::kInvalidArgument : perf::kOk;
}

}  // namespace

FakeProvider::FakeProvider() : state_(std::make_shared<FakeState>()) {}

FakeProvider::~FakeProvider() { state_->ReleaseDelays(); }

void FakeProvider::ScriptReadings(std::string path, std::vector<Reading> readings,
                                  AfterScript after) {
  std::lock_guard lock(state_->mutex);
  state_->readings[std::move(path)] = CounterScript{std::move(readings), after};
}

void FakeProvider::ScriptValue(std::string path, double value) {
  ScriptReadings(std::move(path), {Value(value)}, AfterScript::kHoldLast);
}

void FakeProvider::FailAdd(std::string path, perf::Status status) {
  std::lock_guard lock(state_->mutex);
  if (status == perf::kOk) {
    state_->add_failures.erase(path);
  } else {
    state_->add_failures[std::move(path)] = status;
  }
}

void FakeProvider::ScriptConnect(std::string machine, perf::Status status,
                                 std::chrono::milliseconds delay) {
  std::lock_guard lock(state_->mutex);
  state_->connects[std::move(machine)] = ConnectScript{status, delay};
}

void FakeProvider::ScriptMachineError(std::string machine, std::string reason) {
  std::lock_guard lock(state_->mutex);
  state_->machine_errors[std::move(machine)] = std::move(reason);
}

std::string FakeProvider::MachineError(std::string_view machine) const {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->machine_errors.find(machine);
  return it == state_->machine_errors.end() ? std::string() : it->second;
}

void FakeProvider::ScriptCollections(std::vector<CollectStep> steps, AfterScript after) {
  std::lock_guard lock(state_->mutex);
  state_->collect_steps = std::move(steps);
  state_->collect_after = after;
}

void FakeProvider::FailOpenQuery(perf::Status status) {
  std::lock_guard lock(state_->mutex);
  state_->open_query_status = status;
}

void FakeProvider::ScriptName(std::string machine, std::uint32_t index, std::string name) {
  std::lock_guard lock(state_->mutex);
  state_->names[{std::move(machine), index}] = NameScript{perf::kOk, std::move(name)};
}

void FakeProvider::FailName(std::string machine, std::uint32_t index, perf::Status status) {
  std::lock_guard lock(state_->mutex);
  state_->names[{std::move(machine), index}] = NameScript{status, {}};
}

void FakeProvider::ScriptObjects(std::string machine, std::vector<std::string> objects) {
  std::lock_guard lock(state_->mutex);
  state_->objects[std::move(machine)] = ObjectsScript{perf::kOk, std::move(objects)};
}

void FakeProvider::FailObjects(std::string machine, perf::Status status) {
  std::lock_guard lock(state_->mutex);
  state_->objects[std::move(machine)] = ObjectsScript{status, {}};
}

namespace {

void SetItems(FakeState& state, ItemsScript script) {
  const auto same = [&](const ItemsScript& other) {
    return other.machine == script.machine && NamesEqual(other.object, script.object);
  };
  if (const auto it = std::find_if(state.items.begin(), state.items.end(), same);
      it != state.items.end()) {
    *it = std::move(script);
  } else {
    state.items.push_back(std::move(script));
  }
}

}  // namespace

void FakeProvider::ScriptObjectItems(std::string machine, std::string object,
                                     std::vector<std::string> counters,
                                     std::vector<std::string> instances) {
  std::lock_guard lock(state_->mutex);
  SetItems(*state_, ItemsScript{std::move(machine), std::move(object), perf::kOk,
                                std::move(counters), std::move(instances)});
}

void FakeProvider::FailObjectItems(std::string machine, std::string object, perf::Status status) {
  std::lock_guard lock(state_->mutex);
  SetItems(*state_, ItemsScript{std::move(machine), std::move(object), status, {}, {}});
}

void FakeProvider::ReleaseDelays() { state_->ReleaseDelays(); }

FakeCounts FakeProvider::Counts() const {
  std::lock_guard lock(state_->mutex);
  return state_->counts;
}

int FakeProvider::ConnectCount(std::string_view machine) const {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->connect_counts.find(machine);
  return it == state_->connect_counts.end() ? 0 : it->second;
}

std::vector<std::string> FakeProvider::ConnectCalls() const {
  std::lock_guard lock(state_->mutex);
  return state_->connect_calls;
}

std::vector<std::string> FakeProvider::AddedPaths() const {
  std::lock_guard lock(state_->mutex);
  return state_->added_paths;
}

perf::Status FakeProvider::OpenQuery(std::unique_ptr<perf::Query>* query) {
  if (const perf::Status status = CheckOut(query); status != perf::kOk) return status;
  std::unique_ptr<perf::Query> opened;
  perf::Status status = perf::kOk;
  {
    std::lock_guard lock(state_->mutex);
    ++state_->counts.open_query_calls;
    status = state_->open_query_status;
    if (status != perf::kOk) {
      ++state_->counts.failed_open_queries;
    } else {
      opened = std::make_unique<FakeQuery>(state_);
    }
  }
  // Outside the lock: replacing a query the caller still held closes it, which takes the lock.
  *query = std::move(opened);
  return status;
}

perf::Status FakeProvider::ConnectMachine(std::string_view machine) {
  // The delay may outlast the provider (a test tearing down while a collector is still
  // connecting), so the call holds the state itself and never touches `this` after waiting.
  const std::shared_ptr<FakeState> state = state_;
  ConnectScript script;
  {
    std::lock_guard lock(state->mutex);
    ++state->connect_counts[std::string(machine)];
    state->connect_calls.emplace_back(machine);
    if (const auto it = state->connects.find(machine); it != state->connects.end())
      script = it->second;
  }
  state->Delay(script.delay);
  return script.status;
}

void FakeProvider::ConnectMachines(std::span<const std::string> machines,
                                   std::span<perf::Status> statuses) {
  const std::shared_ptr<FakeState> state = state_;
  std::chrono::milliseconds longest{0};
  {
    std::lock_guard lock(state->mutex);
    state->connect_batches.emplace_back(machines.begin(), machines.end());
    for (std::size_t i = 0; i < machines.size() && i < statuses.size(); ++i) {
      ++state->connect_counts[machines[i]];
      state->connect_calls.push_back(machines[i]);
      ConnectScript script;
      if (const auto it = state->connects.find(machines[i]); it != state->connects.end())
        script = it->second;
      statuses[i] = script.status;
      longest = std::max(longest, script.delay);
    }
  }
  state->Delay(longest);
}

std::vector<std::vector<std::string>> FakeProvider::ConnectBatches() const {
  std::lock_guard lock(state_->mutex);
  return state_->connect_batches;
}

perf::Status FakeProvider::LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                             std::string* name) {
  if (const perf::Status status = CheckOut(name); status != perf::kOk) return status;
  std::lock_guard lock(state_->mutex);
  ++state_->counts.lookup_calls;
  if (const perf::Status status = state_->MachineStatus(machine); status != perf::kOk)
    return status;
  if (const auto it = state_->names.find({std::string(machine), index});
      it != state_->names.end()) {
    if (it->second.status == perf::kOk) *name = it->second.name;
    return it->second.status;
  }
  const std::string_view english = perf::EnglishName(index);
  if (english.empty()) return perf::kStringNotFound;
  *name = std::string(english);
  return perf::kOk;
}

perf::Status FakeProvider::EnumObjects(std::string_view machine,
                                       std::vector<std::string>* objects) {
  if (const perf::Status status = CheckOut(objects); status != perf::kOk) return status;
  std::lock_guard lock(state_->mutex);
  ++state_->counts.enum_calls;
  if (const perf::Status status = state_->MachineStatus(machine); status != perf::kOk)
    return status;
  if (const auto it = state_->objects.find(machine); it != state_->objects.end()) {
    if (it->second.status == perf::kOk) *objects = it->second.objects;
    return it->second.status;
  }
  objects->clear();
  for (const StandardObject& standard : StandardObjects())
    objects->emplace_back(perf::EnglishName(standard.object));
  return perf::kOk;
}

perf::Status FakeProvider::EnumObjectItems(std::string_view machine, std::string_view object,
                                           std::vector<std::string>* counters,
                                           std::vector<std::string>* instances) {
  if (CheckOut(counters) != perf::kOk || CheckOut(instances) != perf::kOk)
    return perf::kInvalidArgument;
  std::lock_guard lock(state_->mutex);
  ++state_->counts.enum_calls;
  if (const perf::Status status = state_->MachineStatus(machine); status != perf::kOk)
    return status;
  for (const ItemsScript& script : state_->items) {
    if (script.machine != machine || !NamesEqual(script.object, object)) continue;
    if (script.status == perf::kOk) {
      *counters = script.counters;
      *instances = script.instances;
    }
    return script.status;
  }
  for (const StandardObject& standard : StandardObjects()) {
    if (!NamesEqual(perf::EnglishName(standard.object), object)) continue;
    counters->clear();
    for (const std::uint32_t counter : standard.counters)
      counters->emplace_back(perf::EnglishName(counter));
    instances->clear();
    if (standard.has_total) instances->emplace_back("_Total");
    return perf::kOk;
  }
  return perf::kNoObject;
}

}  // namespace corvane::fake
