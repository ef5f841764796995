// One sample of 32 axes on 32 machines, read through a Prometheus server (one instant query)
// against the same 32 machines scraped directly (32 exporter pages fetched and parsed): CPU
// of this process and wall time per sample, and requests per sample. And the instances a
// server with 2,000 targets lists, fetched and made searchable, as the remote host dialog
// does when it opens.
//
// The machines are 32 real prometheus-node-exporter processes on 127.0.0.1 and the server is
// Debian's prometheus scraping them; both are started by the benchmark (skipped when not
// installed). Their own work is other processes' and is not counted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/instance_filter.h"
#include "platform/remote/remote_provider.h"
#include "platform/remote/server_provider.h"
#include "platform/remote/server_query.h"
#include "tests/remote/node_exporter_process.h"
#include "tests/remote/prometheus_process.h"

namespace {

using corvane::remote::testing::NodeExporterProcess;
using corvane::remote::testing::PrometheusProcess;
using namespace std::chrono_literals;

constexpr int kMachines = 32;

// The exporters and the server, started once for every benchmark of the run.
struct Fleet {
  std::vector<std::unique_ptr<NodeExporterProcess>> exporters;
  PrometheusProcess server;
  std::string error;

  Fleet() {
    if (!NodeExporterProcess::Installed() || !PrometheusProcess::Installed()) {
      error = "prometheus-node-exporter or prometheus is not installed";
      return;
    }
    std::vector<std::string> targets;
    for (int i = 0; i < kMachines; ++i) {
      auto exporter = std::make_unique<NodeExporterProcess>();
      if (!exporter->Start({}, &error)) return;
      targets.push_back("127.0.0.1:" + std::to_string(exporter->port()));
      exporters.push_back(std::move(exporter));
    }
    if (!server.Start(targets, &error, "5s", "4s")) return;
    // Until every target has been scraped twice.
    corvane::remote::ServerOptions options;
    options.url = server.Url();
    corvane::remote::ServerProvider provider(options);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      std::vector<corvane::perf::MachineListing> machines;
      int up = 0;
      if (provider.EnumMachines(&machines) == corvane::perf::kOk)
        for (const auto& machine : machines) up += machine.up ? 1 : 0;
      if (up == kMachines) break;
      std::this_thread::sleep_for(500ms);
    }
    std::this_thread::sleep_for(6s);
    error.clear();
  }

  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& exporter : exporters)
      paths.push_back(exporter->Machine() + "\\Processor(_Total)\\% Processor Time");
    return paths;
  }
};

Fleet& TheFleet() {
  static Fleet fleet;
  return fleet;
}

void Sample(benchmark::State& state, corvane::perf::Provider& provider, const Fleet& fleet) {
  std::unique_ptr<corvane::perf::Query> query;
  provider.OpenQuery(&query);
  std::vector<corvane::perf::CounterHandle> handles;
  for (const std::string& path : fleet.Paths()) {
    corvane::perf::CounterHandle handle = corvane::perf::kNullCounter;
    if (query->AddCounter(path, &handle) != corvane::perf::kOk) {
      state.SkipWithError(("cannot add " + path + ": " + query->LastError()).c_str());
      return;
    }
    handles.push_back(handle);
  }
  // Two scrapes of every machine (the server scrapes every 5 s) for the rates.
  query->Collect();
  std::this_thread::sleep_for(6s);
  query->Collect();
  int values = 0;
  for (auto _ : state) {
    query->Collect();
    for (const auto handle : handles) {
      double value = 0;
      if (query->GetFormattedDouble(handle, &value) == corvane::perf::kOk) ++values;
    }
  }
  for (const auto handle : handles) {
    const std::string reason = query->CounterError(handle);
    if (!reason.empty()) {
      state.SetLabel(reason);  // why a value was missing, where one was
      break;
    }
  }
  state.counters["values_per_sample"] =
      static_cast<double>(values) / static_cast<double>(state.iterations());
  if (auto* server = dynamic_cast<corvane::remote::ServerQuery*>(query.get())) {
    state.counters["requests_per_sample"] =
        static_cast<double>(server->requests() - 2) / static_cast<double>(state.iterations());
  } else {
    state.counters["requests_per_sample"] = kMachines;
  }
}

void BM_DirectScrape32Machines(benchmark::State& state) {
  Fleet& fleet = TheFleet();
  if (!fleet.error.empty()) return state.SkipWithError(fleet.error.c_str());
  const auto provider = corvane::remote::MakeRemoteProvider();
  Sample(state, *provider, fleet);
}

void BM_ThroughServer32Machines(benchmark::State& state) {
  Fleet& fleet = TheFleet();
  if (!fleet.error.empty()) return state.SkipWithError(fleet.error.c_str());
  corvane::remote::ServerOptions options;
  options.url = fleet.server.Url();
  corvane::remote::ServerProvider provider(options);
  Sample(state, provider, fleet);
}

// 2,000 targets that are not there: the server lists them all, down.
void BM_ListAndSearch2000Instances(benchmark::State& state) {
  if (!PrometheusProcess::Installed()) return state.SkipWithError("prometheus is not installed");
  PrometheusProcess server;
  std::vector<std::string> targets;
  for (int i = 0; i < 2000; ++i) targets.push_back("192.0.2.1:" + std::to_string(10000 + i));
  std::string error;
  if (!server.Start(targets, &error, "5s", "4s")) return state.SkipWithError(error.c_str());
  corvane::remote::ServerOptions options;
  options.url = server.Url();
  corvane::remote::ServerProvider provider(options);
  std::vector<corvane::perf::MachineListing> machines;
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (provider.EnumMachines(&machines) == corvane::perf::kOk && machines.size() == 2000) break;
    std::this_thread::sleep_for(500ms);
  }
  if (machines.size() != 2000) return state.SkipWithError("the server lists fewer than 2000");
  std::size_t found = 0;
  for (auto _ : state) {
    // What the dialog does on opening (on its worker thread), then one search typed.
    provider.EnumMachines(&machines);
    corvane::InstanceFilter filter(std::move(machines));
    found = filter.Filter("10199").size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["found"] = static_cast<double>(found);
}

BENCHMARK(BM_DirectScrape32Machines)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThroughServer32Machines)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListAndSearch2000Instances)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
