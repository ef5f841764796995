// The added cost per sample of telling assistive technologies what changed on the wind rose,
// with 32 counters that all change every sample: ChartAnnouncer::Announce as the view calls it
// after each sample. Only that call is timed (manual time); storing the sample is not.
// process_cpu_us is the whole process's CPU time per sample (every thread, Qt's D-Bus thread
// that writes the events to the bus too, and the event-loop turn after the call), storing the
// sample included: the Listener's minus the NoListener's is what a listener costs in all.
//
//   NoListener  no assistive technology (QAccessible::isActive() false). Goal: not measurable.
//   Listener    an assistive technology listens. Goal: at most 50 us per sample. On the
//               offscreen platform the events go to an in-process handler (Qt's own event
//               path, no bus); under bench/chart_announce_measure.sh the program runs on X11
//               with the real AT-SPI bridge and a pyatspi client listening on the bus.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <string>

#include "bench/bench_application.h"
#include "core/counter_item.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/frame/corvane_view.h"
#include "platform/fake/fake_provider.h"
#include "platform/qt/qt_message_sink.h"

namespace {

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long g_handled = 0;
void CountEvent(QAccessibleEvent* event) {
  g_handled += event->type() == QAccessible::ValueChanged ? 1 : 0;
}

bool AlwaysListening() { return true; }
bool NeverListening() { return false; }

void Run(benchmark::State& state, bool listening) {
  corvane::bench::Application(true);
  char folder[] = "/tmp/corvane-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  corvane::fake::FakeProvider provider;
  corvane::desktop::MachineSettings machine(
      corvane::host::SettingsStore(std::string(folder) + "/registry.ini"), folder);
  corvane::desktop::StartupFlags flags;
  corvane::qt::QtMessageSink messages;
  corvane::desktop::CCorvaneDoc doc(provider, messages, machine, flags);
  corvane::Corvane& engine = doc.engine();
  engine.RemoveAllAxes();
  for (int i = 0; i < 32; ++i) {
    engine.AddAxis(
        "Counter number " + std::to_string(i), "", false, 0, 100, 80, 1,
        new corvane::CounterItem("\\Processor(" + std::to_string(i) + ")\\% Processor Time"));
  }
  engine.PrepareStatistics();
  corvane::desktop::CCorvaneView view(doc, nullptr);
  view.resize(800, 600);
  view.show();

  // A real bridge (X11 with QT_LINUX_ACCESSIBILITY_ALWAYS_ON) is used as it is; elsewhere the
  // events go to a handler in this process. The bridge turns active only once it has asked the
  // session bus for the accessibility bus and connected to it, some event-loop turns after
  // the window is shown.
  if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
    QElapsedTimer waited;
    waited.start();
    while (!QAccessible::isActive() && waited.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
  }
  const bool real_bridge = QAccessible::isActive();
  if (listening && !real_bridge) QAccessible::installUpdateHandler(&CountEvent);
  if (!real_bridge) {
    view.announcer().SetListeningProbe(listening ? &AlwaysListening : &NeverListening);
  } else if (!listening) {
    view.announcer().SetListeningProbe(&NeverListening);
  }
  view.announcer().Announce();  // takes note of the first state

  int sample = 0;
  const int sent_before = view.announcer().events_sent();
  const double cpu_before = ProcessCpuSeconds();
  for (auto _ : state) {
    ++sample;
    for (int i = 0; i < 32; ++i) engine.SetValue(i, (i * 37 + sample * 13) % 100);
    engine.EndSample();
    const auto start = std::chrono::steady_clock::now();
    view.announcer().Announce();
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    // Let a real bridge hand its messages to the bus between samples, as the event loop does.
    if (real_bridge) QCoreApplication::processEvents();
  }
  const double cpu_seconds = ProcessCpuSeconds() - cpu_before;
  state.counters["events_per_sample"] =
      static_cast<double>(view.announcer().events_sent() - sent_before) /
      static_cast<double>(sample > 0 ? sample : 1);
  state.counters["process_cpu_us"] =
      cpu_seconds * 1e6 / static_cast<double>(sample > 0 ? sample : 1);
  state.counters["real_bridge"] = real_bridge ? 1 : 0;
  if (listening && !real_bridge) QAccessible::installUpdateHandler(nullptr);
}

void BM_AnnounceNoListener32Axes(benchmark::State& state) { Run(state, false); }
void BM_AnnounceListener32Axes(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_AnnounceNoListener32Axes)->UseManualTime()->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AnnounceListener32Axes)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
