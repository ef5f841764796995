// How long the counter browser takes from " Add..." to usable lists: the dialog built, shown
// and its catalogue read and listed, on this machine and on a node exporter on the loopback
// (a fresh provider each time, so every open pays its connecting scrape).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdlib>
#include <memory>

#include "bench/bench_application.h"
#include "desktop/counters/counter_browser.h"
#include "platform/remote/remote_provider.h"
#include "platform/routing_provider.h"
#include "platform/system_provider.h"
#include "tests/platform/remote/node_exporter_process.h"

namespace {

using corvane::desktop::CCounterBrowser;

void WaitUntilUsable(const CCounterBrowser& browser) {
  while (browser.Busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  QCoreApplication::processEvents();
}

void BM_OpenLocalBrowser(benchmark::State& state) {
  corvane::bench::Application();
  const std::unique_ptr<corvane::perf::Provider> provider = corvane::MakeSystemProvider();
  for (auto _ : state) {
    CCounterBrowser browser(
        *provider, [](const std::string&) { return true; }, false, nullptr);
    browser.show();
    WaitUntilUsable(browser);
  }
}
BENCHMARK(BM_OpenLocalBrowser)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenLoopbackExporter(benchmark::State& state) {
  corvane::bench::Application();
  corvane::remote::testing::NodeExporterProcess exporter;
  std::string error;
  if (!corvane::remote::testing::NodeExporterProcess::Installed() || !exporter.Start({}, &error)) {
    state.SkipWithError(("no node exporter: " + error).c_str());
    return;
  }
  const QString host = QStringLiteral("127.0.0.1:%1").arg(exporter.port());
  for (auto _ : state) {
    state.PauseTiming();
    const std::unique_ptr<corvane::perf::Provider> provider = corvane::MakeRoutingProvider(
        corvane::MakeSystemProvider(), corvane::remote::MakeRemoteProvider());
    auto browser = std::make_unique<CCounterBrowser>(
        *provider, [](const std::string&) { return true; }, false, nullptr);
    browser->show();
    WaitUntilUsable(*browser);
    browser->findChild<QLineEdit*>(QStringLiteral("browseComputer"))->setText(host);
    state.ResumeTiming();
    browser->BrowseMachine();
    WaitUntilUsable(*browser);
    state.PauseTiming();
    browser.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenLoopbackExporter)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
