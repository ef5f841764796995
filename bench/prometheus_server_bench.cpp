// One sample of 32 axes on 32 machines, read through a Prometheus server (one instant query)
// against the same 32 machines scraped directly (32 exporter pages fetched and parsed): CPU
// of this process and wall time per sample, and requests per sample. And the instances a
// server with 2,000 targets lists, fetched and made searchable, as the remote host dialog
// does when it opens, and the real dialog opened on that server until a search shows matches.
//
// The machines are 32 real prometheus-node-exporter processes on 127.0.0.1 and the server is
// Debian's prometheus scraping them; both are started by the benchmark (skipped when not
// installed). Their own work is other processes' and is not counted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_application.h"
#include "core/instance_filter.h"
#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/instance_completer.h"
#include "platform/remote/remote_provider.h"
#include "platform/remote/server_provider.h"
#include "platform/remote/server_query.h"
#include "tests/platform/remote/node_exporter_process.h"
#include "tests/platform/remote/prometheus_process.h"

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

// A server with 2,000 targets that are not there, started once for the run: it lists them
// all, down.
struct ListingServer {
  static constexpr std::size_t kInstances = 2000;
  PrometheusProcess server;
  std::string error;

  ListingServer() {
    if (!PrometheusProcess::Installed()) {
      error = "prometheus is not installed";
      return;
    }
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < kInstances; ++i)
      targets.push_back("192.0.2.1:" + std::to_string(10000 + i));
    if (!server.Start(targets, &error, "5s", "4s")) return;
    corvane::remote::ServerProvider provider(Options());
    std::vector<corvane::perf::MachineListing> machines;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (provider.EnumMachines(&machines) == corvane::perf::kOk && machines.size() == kInstances)
        return;
      std::this_thread::sleep_for(500ms);
    }
    error = "the server lists fewer than 2000";
  }

  corvane::remote::ServerOptions Options() const {
    corvane::remote::ServerOptions options;
    options.url = server.Url();
    return options;
  }
};

ListingServer& TheListingServer() {
  static ListingServer server;
  return server;
}

void BM_ListAndSearch2000Instances(benchmark::State& state) {
  ListingServer& listing = TheListingServer();
  if (!listing.error.empty()) return state.SkipWithError(listing.error.c_str());
  corvane::remote::ServerProvider provider(listing.Options());
  std::vector<corvane::perf::MachineListing> machines;
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

// Keys typed into a field, as the keyboard sends them.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &release);
  }
}

// The remote host dialog opened on that server until it is usable: built and shown, its list
// fetched by a provider that has not yet spoken to the server, and a typed search showing its
// matches.
void BM_OpenRemoteHostDialogOn2000Instances(benchmark::State& state) {
  ListingServer& listing = TheListingServer();
  if (!listing.error.empty()) return state.SkipWithError(listing.error.c_str());
  corvane::bench::Application();
  const QString url = QString::fromStdString(listing.server.Url());
  int offered = 0, shown = 0;
  for (auto _ : state) {
    corvane::remote::ServerProvider provider(listing.Options());
    corvane::desktop::CComputerDlg dialog({}, nullptr);
    dialog.OfferInstancesOf(provider, url);
    dialog.show();
    auto* edit = dialog.findChild<QLineEdit*>("edit_1005");
    auto* completer = edit->findChild<corvane::desktop::InstanceCompleter*>();
    while (completer->InstanceCount() == 0 && dialog.instances_label()->isVisible())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    edit->setFocus();
    Type(edit, QStringLiteral("10199"));
    QCoreApplication::processEvents();
    offered = completer->InstanceCount();
    shown = completer->ShownCount();
  }
  state.counters["offered"] = offered;
  state.counters["shown"] = shown;
  if (offered != static_cast<int>(ListingServer::kInstances) || shown == 0)
    state.SkipWithError("the dialog did not offer the server's instances");
}

BENCHMARK(BM_DirectScrape32Machines)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThroughServer32Machines)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListAndSearch2000Instances)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_OpenRemoteHostDialogOn2000Instances)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
