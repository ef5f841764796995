#include "platform/fake/fake_query.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "core/counter_path.h"

namespace corvane::fake {

FakeQuery::FakeQuery(std::shared_ptr<FakeState> state) : state_(std::move(state)) {}

FakeQuery::~FakeQuery() {
  const auto live = std::count_if(counters_.begin(), counters_.end(),
                                  [](const Counter& counter) { return counter.live; });
  std::lock_guard lock(state_->mutex);
  ++state_->counts.queries_closed;
  state_->counts.counters_left_at_close += static_cast<int>(live);
}

const FakeQuery::Counter* FakeQuery::Find(perf::CounterHandle handle) const {
  if (handle == perf::kNullCounter || handle > counters_.size()) return nullptr;
  const Counter& counter = counters_[handle - 1];
  return counter.live ? &counter : nullptr;
}

perf::Status FakeQuery::AddCounter(std::string_view path, perf::CounterHandle* handle) {
  if (handle == nullptr) return perf::kInvalidArgument;
  *handle = perf::kNullCounter;

  std::lock_guard lock(state_->mutex);
  ++state_->counts.add_calls;
  state_->added_paths.emplace_back(path);

  if (const auto failure = state_->add_failures.find(path); failure != state_->add_failures.end())
    return failure->second;
  if (!ParseCounterPath(path)) return perf::kBadCounterName;
  if (const perf::Status machine = state_->MachineStatus(MachinePart(path)); machine != perf::kOk)
    return machine;
  if (state_->readings.find(path) == state_->readings.end()) return perf::kNoCounter;

  counters_.push_back(Counter{std::string(path), true});
  *handle = static_cast<perf::CounterHandle>(counters_.size());
  ++state_->counts.counters_added;
  return perf::kOk;
}

perf::Status FakeQuery::RemoveCounter(perf::CounterHandle handle) {
  std::lock_guard lock(state_->mutex);
  ++state_->counts.remove_calls;
  if (handle == perf::kNullCounter) ++state_->counts.null_removes;
  if (Find(handle) == nullptr) return perf::kInvalidHandle;
  counters_[handle - 1].live = false;
  ++state_->counts.counters_removed;
  return perf::kOk;
}

perf::Status FakeQuery::Collect() {
  CollectStep step;
  {
    std::lock_guard lock(state_->mutex);
    ++state_->counts.collect_calls;
    if (const CollectStep* scripted =
            StepAt(state_->collect_steps, state_->collect_after, collections_))
      step = *scripted;
  }
  state_->Delay(step.delay);
  ++collections_;
  last_collect_ = step.status;
  return step.status;
}

std::string FakeQuery::CounterError(perf::CounterHandle handle) const {
  const Counter* counter = Find(handle);
  if (counter == nullptr || collections_ == 0) return {};
  std::lock_guard lock(state_->mutex);
  const auto script = state_->readings.find(counter->path);
  if (script == state_->readings.end()) return {};
  const Reading* reading = StepAt(script->second.readings, script->second.after, collections_ - 1);
  return reading == nullptr || reading->status == perf::kOk ? std::string() : reading->reason;
}

perf::Status FakeQuery::GetFormattedDouble(perf::CounterHandle handle, double* value) {
  const Counter* counter = Find(handle);
  if (counter == nullptr) return perf::kInvalidHandle;
  if (value == nullptr) return perf::kInvalidArgument;
  if (collections_ == 0) return perf::kNoData;
  if (last_collect_ != perf::kOk) return perf::kInvalidData;

  std::lock_guard lock(state_->mutex);
  const auto script = state_->readings.find(counter->path);
  if (script == state_->readings.end()) return perf::kInvalidData;
  const Reading* reading = StepAt(script->second.readings, script->second.after, collections_ - 1);
  if (reading == nullptr) return perf::kInvalidData;
  if (reading->status != perf::kOk) return reading->status;
  *value = reading->value;
  return perf::kOk;
}

}  // namespace corvane::fake
