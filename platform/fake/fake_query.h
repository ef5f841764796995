// A query of the fake provider: its counters, and how many times it has been collected, which
// picks the scripted reading each counter answers with.
// One thread owns the query (the Query contract); the shared state it reads takes its own lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/fake/fake_state.h"

namespace corvane::fake {

class FakeQuery final : public perf::Query {
 public:
  explicit FakeQuery(std::shared_ptr<FakeState> state);
  ~FakeQuery() override;

  FakeQuery(const FakeQuery&) = delete;
  FakeQuery& operator=(const FakeQuery&) = delete;

  // A path is added when it parses, no add failure is scripted for it, its machine's connect is
  // not scripted to fail, and readings are scripted for it (exact match); else the status says
  // which of these it missed.
  perf::Status AddCounter(std::string_view path, perf::CounterHandle* handle) override;
  perf::Status RemoveCounter(perf::CounterHandle handle) override;

  // Takes the collect step for this query's next collection: its delay, then its status. A failed
  // collection still counts, and every read until the next collection fails with kInvalidData.
  perf::Status Collect() override;

  // The scripted reading for this query's latest collection; kNoData before the first.
  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override;
  // The scripted reason of the latest collection's failed reading.
  std::string CounterError(perf::CounterHandle handle) const override;

 private:
  struct Counter {
    std::string path;  // the script key
    bool live = true;  // false once removed
  };

  const Counter* Find(perf::CounterHandle handle) const;

  std::shared_ptr<FakeState> state_;
  std::vector<Counter> counters_;  // handle h is counters_[h - 1]; handles are never reused
  std::uint64_t collections_ = 0;  // Collect calls so far, failed ones included
  perf::Status last_collect_ = perf::kOk;
};

}  // namespace corvane::fake
