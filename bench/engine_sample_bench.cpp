// One full sample of the monitoring loop on this machine: collect the query, read every
// counter, store it in the engine (SetValue for every axis) and end the sample, logging off;
// what the collector thread does once per interval. For the default profile and for a full
// chart of 32 axes, over the local provider.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/collector_session.h"
#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/linux/proc/local_provider.h"

namespace corvane {
namespace {

// Counters of the local machine beyond the catalogue's, to fill a chart to its 32 axes.
const std::vector<std::string>& ExtraPaths() {
  static const std::vector<std::string> paths = {
      "\\Processor(_Total)\\% Processor Time",
      "\\Processor(_Total)\\% User Time",
      "\\Processor(_Total)\\% Privileged Time",
      "\\Processor(_Total)\\% Idle Time",
      "\\Processor(_Total)\\Interrupts/sec",
      "\\Memory\\Committed Bytes",
      "\\Memory\\Commit Limit",
      "\\Memory\\Available Bytes",
      "\\Memory\\Available MBytes",
      "\\Memory\\Cache Bytes",
      "\\Memory\\Pages/sec",
      "\\Memory\\Page Faults/sec",
      "\\Paging File(_Total)\\% Usage Peak",
      "\\System\\Context Switches/sec",
      "\\System\\Processor Queue Length",
      "\\System\\System Up Time",
      "\\LogicalDisk(_Total)\\Free Megabytes",
      "\\PhysicalDisk(_Total)\\% Idle Time",
      "\\PhysicalDisk(_Total)\\Disk Bytes/sec",
      "\\PhysicalDisk(_Total)\\Avg. Disk Queue Length",
      "\\Network Interface(lo)\\Bytes Total/sec",
      "\\Network Interface(lo)\\Bytes Sent/sec",
      "\\LogicalDisk(_Total)\\Disk Read Bytes/sec",
      "\\LogicalDisk(_Total)\\Disk Write Bytes/sec",
      "\\PhysicalDisk(_Total)\\Disk Reads/sec",
      "\\PhysicalDisk(_Total)\\Disk Writes/sec",
  };
  return paths;
}

enum class Part { kWhole, kCollectOnly, kStoreOnly };

void RunSamples(benchmark::State& state, bool full_chart, Part part = Part::kWhole) {
  const std::unique_ptr<perf::Provider> provider = local::MakeLocalProvider();
  Corvane engine(*provider, false);
  engine.SetUpNewProfile();
  if (full_chart) {
    AddStandardCounters(false, 0xFFF, engine);
    for (const std::string& path : ExtraPaths()) {
      if (engine.GetAxisCount() == Corvane::kAxisCapacity) break;
      auto item = std::make_unique<CounterItem>(path);
      if (engine.AddAxis(path, "", false, 0, 1e12, 1e12, 1, item.get())) item.release();
    }
  }
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  engine.SetSettings(settings);

  CollectorSession session(*provider);
  const int counters = engine.PrepareStatistics();
  session.Prepare(counters);
  if (session.OpenQuery() != perf::kOk) {
    state.SkipWithError("the local provider opens no query");
    return;
  }
  for (int i = 0; i < counters; ++i) session.AddCounter(i, engine.GetCounterPath(i));
  session.Collect();  // primes the rate counters, as the collector's first pass does

  for (auto _ : state) {
    if (part != Part::kStoreOnly) session.Collect();
    if (part != Part::kCollectOnly) session.StoreSample(engine);
  }
  state.counters["axes"] = counters;
  state.SetItemsProcessed(state.iterations() * counters);
  engine.ReleaseStatistics();
}

void BM_FullSampleDefaultProfile(benchmark::State& state) { RunSamples(state, false); }
void BM_FullSample32Axes(benchmark::State& state) { RunSamples(state, true); }

// The two halves of the default profile's sample: the provider's collection, and the
// engine's reading, storing and ending of the sample.
void BM_CollectDefaultProfile(benchmark::State& state) {
  RunSamples(state, false, Part::kCollectOnly);
}
void BM_StoreDefaultProfile(benchmark::State& state) { RunSamples(state, false, Part::kStoreOnly); }
void BM_Store32Axes(benchmark::State& state) { RunSamples(state, true, Part::kStoreOnly); }

BENCHMARK(BM_FullSampleDefaultProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollectDefaultProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreDefaultProfile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullSample32Axes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Store32Axes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane
