// The CPU this process spends on one remote sample: one collection of the standard counters
// from a real prometheus-node-exporter on 127.0.0.1 (HTTP, decompression, parsing, indexing
// and the counters' arithmetic), and the counters' share alone. The exporter's own work is
// another process's and is not counted.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/remote/counter_formula.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/remote_provider.h"
#include "tests/platform/remote/node_exporter_process.h"

namespace {

using corvane::remote::testing::NodeExporterProcess;

// The standard counters of the default profile, on this machine's instances.
const char* const kStandardCounters[] = {
    "\\Processor(_Total)\\% Processor Time",
    "\\Processor(0)\\% Processor Time",
    "\\Processor(1)\\% Processor Time",
    "\\Objects\\Processes",
    "\\Objects\\Threads",
    "\\Memory\\% Committed Bytes In Use",
    "\\Paging File(_Total)\\% Usage",
    "\\LogicalDisk(_Total)\\% Free Space",
    "\\PhysicalDisk(_Total)\\% Disk Time",
};

// Argument: 1 to ask for a gzip-compressed page, 0 for a plain one.
void BM_RemoteSample(benchmark::State& state) {
  if (!NodeExporterProcess::Installed()) {
    state.SkipWithError("prometheus-node-exporter is not installed");
    return;
  }
  NodeExporterProcess exporter;
  std::string error;
  if (!exporter.Start({"--collector.processes"}, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  corvane::remote::RemoteProviderOptions options;
  options.scrape.gzip = state.range(0) != 0;
  corvane::remote::RemoteProvider provider(options);
  std::unique_ptr<corvane::perf::Query> query;
  provider.OpenQuery(&query);
  std::vector<corvane::perf::CounterHandle> handles;
  for (const char* path : kStandardCounters) {
    corvane::perf::CounterHandle handle;
    if (query->AddCounter(exporter.Machine() + path, &handle) == corvane::perf::kOk)
      handles.push_back(handle);
  }
  query->Collect();
  // Back-to-back collections come faster than the kernel's 10 ms tick, so some shares have no
  // value; the work per collection is the same.
  for (auto _ : state) {
    query->Collect();
    for (corvane::perf::CounterHandle handle : handles) {
      double value = 0;
      query->GetFormattedDouble(handle, &value);
      benchmark::DoNotOptimize(value);
    }
  }
  state.counters["counters"] = static_cast<double>(handles.size());
}
BENCHMARK(BM_RemoteSample)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

std::string ReadFixture(const char* name) {
  const char* dir = std::getenv("CORVANE_FIXTURES_DIR");
  std::string here = __FILE__;
  const std::string root =
      dir != nullptr ? dir : here.substr(0, here.rfind('/')) + "/../tests/fixtures";
  std::ifstream in(root + "/exporters/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The counters' share of a sample: their figures taken from an indexed page and evaluated.
void BM_StandardCountersFromPage(benchmark::State& state) {
  using namespace corvane::remote;
  ExporterPage page;
  if (!page.Load(ReadFixture("node_exporter_1.5.0_processes.prom"))) {
    state.SkipWithError("fixture node_exporter_1.5.0_processes.prom not found");
    return;
  }
  struct Bound {
    const CounterDef* definition;
    InstanceRef instance;
    Reading previous;
  };
  std::vector<Bound> counters;
  const struct {
    const char* object;
    const char* counter;
    const char* instance;
  } kPaths[] = {{"Processor", "% Processor Time", "_Total"},
                {"Processor", "% Processor Time", "0"},
                {"Processor", "% Processor Time", "1"},
                {"Objects", "Processes", ""},
                {"Objects", "Threads", ""},
                {"Memory", "% Committed Bytes In Use", ""},
                {"Paging File", "% Usage", "_Total"},
                {"LogicalDisk", "% Free Space", "_Total"},
                {"PhysicalDisk", "% Disk Time", "_Total"}};
  for (const auto& path : kPaths) {
    const ObjectDef* object = FindObject(ExporterKind::kNode, path.object);
    counters.push_back(
        Bound{FindCounter(*object, path.counter),
              InstanceRef{path.instance, std::string_view(path.instance) == "_Total"}, Reading{}});
  }
  double time = 0;
  for (auto _ : state) {
    time += 1;
    for (Bound& bound : counters) {
      Reading reading{{}, time, 0};
      bound.definition->extract(ScrapeView{&page, 0}, bound.instance, &reading.figures);
      double value = 0;
      Evaluate(bound.definition->formula, &bound.previous, reading, &value);
      bound.previous = reading;
      benchmark::DoNotOptimize(value);
    }
  }
}
BENCHMARK(BM_StandardCountersFromPage);

}  // namespace
