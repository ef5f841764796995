// CollectorSession: the collector's query and its counter handles, one per axis present when
// collecting started (a counter that could not be added keeps the null handle). Turns one
// collection into the engine's statistics. Everything is sized before sampling starts, so a
// sample allocates nothing.
//
// Threads: owned by the collector thread (or a benchmark standing in for it). It never holds
// the chart lock while the provider collects or connects.
#pragma once

#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "core/perf_data.h"

namespace corvane {

class Corvane;

class CollectorSession {
 public:
  explicit CollectorSession(perf::Provider& provider) : provider_(provider) {}
  ~CollectorSession() { Close(); }
  CollectorSession(const CollectorSession&) = delete;
  CollectorSession& operator=(const CollectorSession&) = delete;

  // `counters` null handles.
  void Prepare(int counters);
  // Opens the query. Without one every reading fails.
  perf::Status OpenQuery();
  // Adds the counter of a path into handle slot `slot`; the result is not needed, a failed add
  // leaves the null handle. Does nothing without a query.
  void AddCounter(int slot, std::string_view path);
  // Collects the query (blocks in the provider at most about `limit`; no lock held). The result
  // is not needed: a failed collection makes every reading of the pass fail.
  void Collect(std::chrono::milliseconds limit = std::chrono::milliseconds::max());
  // When the query's source keeps history, fills the engine's averages and maxima with the
  // profile's History samples of the past (one request for all counters) and draws them.
  void FillHistory(Corvane& engine);
  // Reads every counter and stores it in the engine (SetValue, or SetUnavailable when the
  // reading fails), then ends the sample. Holds the engine's lock throughout, so a drawing
  // never shows half a sample; the provider is only asked for values already collected.
  void StoreSample(Corvane& engine);
  // Removes every handle (null ones too), closes the query and frees the handles.
  void Close();

  int CounterCount() const { return static_cast<int>(handles_.size()); }
  perf::CounterHandle Handle(int slot) const { return handles_[static_cast<std::size_t>(slot)]; }

 private:
  perf::Provider& provider_;
  std::unique_ptr<perf::Query> query_;
  std::vector<perf::CounterHandle> handles_;
};

}  // namespace corvane
