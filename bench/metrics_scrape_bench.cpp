// The CPU cost of one scrape of the service's metrics page for a full chart of 32 axes (goal:
// at most 50 µs): the copy of the last sample under the chart lock, the labels and machines
// filled in outside it, and the page formatted, as the metrics server does it for every GET
// /metrics (without the socket). Also the formatting alone, and the copy alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "service/metrics_page.h"
#include "service/metrics_server.h"
#include "service/metrics_snapshot.h"

namespace corvane {
namespace {

// 32 axes with names and paths of the usual length: local counters and a few on two remote
// machines, with instances, after a few samples.
struct FullChart {
  FullChart() {
    engine.SetUpNewProfile();
    engine.RemoveAllAxes();
    for (int i = 0; i < Corvane::kAxisCapacity; ++i) {
      std::string path;
      if (i % 8 == 7) {
        path = "\\\\db" + std::to_string(i % 2) + ".example.org:9100\\Processor(" +
               std::to_string(i) + ")\\% Processor Time";
      } else if (i % 3 == 0) {
        path = "\\Processor(" + std::to_string(i) + ")\\% Processor Time";
      } else if (i % 3 == 1) {
        path = "\\PhysicalDisk(" + std::to_string(i) + " sd" + char('a' + i % 26) +
               ")\\Disk Bytes/sec";
      } else {
        path = "\\Network Interface(eth" + std::to_string(i) + ")\\Bytes Total/sec";
      }
      engine.AddAxis("Axis " + std::to_string(i) + " of the chart", "", false, 0, 100, 80,
                     i % 4 == 0 ? 1024 : 1, new CounterItem(path));
    }
    engine.PrepareStatistics();
    for (int sample = 0; sample < 5; ++sample) {
      for (int i = 0; i < Corvane::kAxisCapacity; ++i) {
        if (i % 11 == 10) {
          engine.SetUnavailable(i);
        } else {
          engine.SetValue(i, 12.345 * (i + 1) + sample);
        }
      }
      engine.EndSample();
      engine.NoteSampleCost(0.0004 * (sample + 1));
    }
  }

  fake::FakeProvider provider;
  Corvane engine{provider, false};
};

void BM_Scrape32Axes(benchmark::State& state) {
  FullChart chart;
  service::MetricsSnapshot snapshot;
  std::string page;
  const auto scrape = [&] {
    page.clear();
    service::CopyEngineMetrics(chart.engine, &snapshot);
    service::CompleteMetrics(chart.provider, &snapshot);
    service::AppendMetricsPage(snapshot, &page);
  };
  scrape();  // the server's buffers are warm after the first scrape
  for (auto _ : state) {
    scrape();
    benchmark::DoNotOptimize(page.data());
  }
  state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_Scrape32Axes);

void BM_FormatPage32Axes(benchmark::State& state) {
  FullChart chart;
  service::MetricsSnapshot snapshot;
  service::CopyEngineMetrics(chart.engine, &snapshot);
  service::CompleteMetrics(chart.provider, &snapshot);
  std::string page;
  for (auto _ : state) {
    page.clear();
    service::AppendMetricsPage(snapshot, &page);
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(BM_FormatPage32Axes);

// How long a scrape holds the chart lock: the collector waits at most this long for it.
void BM_CopyUnderLock32Axes(benchmark::State& state) {
  FullChart chart;
  service::MetricsSnapshot snapshot;
  service::CopyEngineMetrics(chart.engine, &snapshot);
  for (auto _ : state) {
    service::CopyEngineMetrics(chart.engine, &snapshot);
    benchmark::DoNotOptimize(&snapshot);
  }
}
BENCHMARK(BM_CopyUnderLock32Axes);

}  // namespace
}  // namespace corvane
