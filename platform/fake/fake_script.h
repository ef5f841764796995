// The vocabulary of a fake provider's script: one reading of a counter, one collection's outcome,
// what happens when a sequence runs out, and the call counts a test observes.
// Plain values; any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/perf_data.h"

namespace corvane::fake {

// One reading of a counter at one collection: a value, or the status its read fails with.
struct Reading {
  perf::Status status = perf::kOk;  // kOk: the read succeeds with value
  double value = 0.0;               // in the counter's own unit
  std::string reason;               // what CounterError says of a failed read

  bool operator==(const Reading&) const = default;
};

inline Reading Value(double value) { return Reading{perf::kOk, value, {}}; }
inline Reading Failure(perf::Status status = perf::kInvalidData) {
  return Reading{status, 0.0, {}};
}
inline Reading FailureBecause(std::string reason, perf::Status status = perf::kInvalidData) {
  return Reading{status, 0.0, std::move(reason)};
}

// What a scripted sequence gives once every step has been used.
enum class AfterScript {
  kHoldLast,  // the last step again, for ever
  kRepeat,    // the sequence again from its first step
};

// The outcome of one collection of a query.
struct CollectStep {
  perf::Status status =
      perf::kOk;  // non-zero: Collect returns it and every read of that pass fails
  std::chrono::milliseconds delay{0};  // how long Collect blocks before it returns
};

// The step for the zero-based position `index` of a sequence, or nullptr when it is empty.
template <typename Step>
const Step* StepAt(const std::vector<Step>& steps, AfterScript after, std::uint64_t index) {
  if (steps.empty()) return nullptr;
  if (index < steps.size()) return &steps[static_cast<std::size_t>(index)];
  if (after == AfterScript::kRepeat) return &steps[static_cast<std::size_t>(index % steps.size())];
  return &steps.back();
}

// Calls and their outcomes, summed over every query the provider opened.
struct FakeCounts {
  int open_query_calls = 0;        // OpenQuery calls, failed ones included
  int failed_open_queries = 0;     // OpenQuery calls that gave no query
  int queries_closed = 0;          // queries destroyed
  int collect_calls = 0;           // Collect calls, failed ones included
  int add_calls = 0;               // AddCounter calls, failed ones included
  int counters_added = 0;          // AddCounter calls that gave a handle
  int remove_calls = 0;            // RemoveCounter calls, null and unknown handles included
  int null_removes = 0;            // RemoveCounter calls given the null handle
  int counters_removed = 0;        // RemoveCounter calls that removed a live counter
  int counters_left_at_close = 0;  // counters still in a query when it was destroyed
  int lookup_calls = 0;            // LookupNameByIndex calls
  int enum_calls = 0;              // EnumObjects and EnumObjectItems calls
  int calls_in_delay = 0;          // ConnectMachine and Collect calls blocked in their delay now

  int QueriesOpen() const { return open_query_calls - failed_open_queries - queries_closed; }
  // Counters added and neither removed nor closed with their query.
  int LiveCounters() const { return counters_added - counters_removed - counters_left_at_close; }
};

}  // namespace corvane::fake
