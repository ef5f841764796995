#include "platform/linux/proc/local_query.h"

#include <time.h>

#include <utility>

#include "platform/linux/proc/counter_eval.h"

namespace corvane::local {
namespace {

std::int64_t MonotonicNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

LocalQuery::LocalQuery(const LocalProviderOptions& options, std::shared_ptr<SwapPeaks> peaks)
    : clock_(options.monotonic_clock ? options.monotonic_clock
                                     : std::function<std::int64_t()>(MonotonicNanoseconds)),
      peaks_(std::move(peaks)),
      sources_(options) {}

perf::Status LocalQuery::AddCounter(std::string_view path, perf::CounterHandle* handle) {
  if (handle == nullptr) return perf::kInvalidArgument;
  *handle = perf::kNullCounter;
  CounterBinding binding;
  const perf::Status status = BindCounter(path, &binding);
  if (status != perf::kOk) return status;
  // Handles are never reused, so a stale handle cannot reach a later counter.
  counters_.push_back(std::move(binding));
  ++active_;
  *handle = static_cast<perf::CounterHandle>(counters_.size());
  return perf::kOk;
}

CounterBinding* LocalQuery::Find(perf::CounterHandle handle) {
  if (handle == perf::kNullCounter || handle > counters_.size()) return nullptr;
  CounterBinding& binding = counters_[handle - 1];
  return binding.active ? &binding : nullptr;
}

perf::Status LocalQuery::RemoveCounter(perf::CounterHandle handle) {
  CounterBinding* binding = Find(handle);
  if (binding == nullptr) return perf::kInvalidHandle;
  binding->active = false;
  --active_;
  return perf::kOk;
}

perf::Status LocalQuery::Collect() {
  if (active_ == 0) return perf::kNoData;
  sources_.BeginCollection(clock_());
  for (CounterBinding& binding : counters_) {
    if (binding.active) EvaluateCounter(&binding, &sources_, peaks_.get());
  }
  return perf::kOk;
}

std::string LocalQuery::CounterError(perf::CounterHandle handle) const {
  if (handle == perf::kNullCounter || handle > counters_.size()) return {};
  const CounterBinding& binding = counters_[handle - 1];
  if (!binding.active || binding.status == perf::kOk || binding.failed_source == nullptr) return {};
  return binding.failed_source->DescribeError();
}

perf::Status LocalQuery::GetFormattedDouble(perf::CounterHandle handle, double* value) {
  const CounterBinding* binding = Find(handle);
  if (binding == nullptr) return perf::kInvalidHandle;
  if (value == nullptr) return perf::kInvalidArgument;
  if (binding->status != perf::kOk) return binding->status;
  *value = binding->value;
  return perf::kOk;
}

}  // namespace corvane::local
