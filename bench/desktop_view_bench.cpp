// One repaint of the desktop program's view, 800 x 600, with 32 counters (names and values on
// every axis): the paint event as the window carries it out, rendered into an image. Goal: at
// most 1 ms per repaint.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <string>

#include "bench/bench_application.h"
#include "core/counter_item.h"
#include "desktop/app/corvane_app.h"
#include "desktop/frame/corvane_view.h"
#include "platform/fake/fake_provider.h"

namespace {

void BM_ViewRepaint32Axes(benchmark::State& state) {
  corvane::bench::Application();
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
    const std::string name = "Counter number " + std::to_string(i);
    engine.AddAxis(name, "", false, 0, 100, 80, 1,
                   new corvane::CounterItem("\\Test\\C" + std::to_string(i)));
  }
  engine.PrepareStatistics();
  for (int i = 0; i < 32; ++i) engine.SetValue(i, (i * 37) % 100);
  engine.EndSample();
  corvane::desktop::CCorvaneView view(doc, nullptr);
  view.resize(800, 600);
  QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    view.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ViewRepaint32Axes)->Unit(benchmark::kMicrosecond);

}  // namespace
