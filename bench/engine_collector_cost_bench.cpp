// What a running collector costs the machine: the process's CPU time (getrusage) over a run of
// the real collector thread at a 2-second interval, logging off, while the benchmark's own
// thread sleeps. Reported as CPU seconds per hour of running. The run lasts 60 s unless
// CORVANE_COLLECTOR_COST_SECONDS says otherwise.
//
// Two profiles: the default one over the local provider (sampling cost plus the idle loop),
// and one without counters (the loop's own cost: waking, scheduling, ending samples).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "core/engine.h"
#include "platform/linux/proc/local_provider.h"

namespace corvane {
namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::chrono::seconds RunLength() {
  if (const char* text = std::getenv("CORVANE_COLLECTOR_COST_SECONDS")) {
    const long seconds = std::strtol(text, nullptr, 10);
    if (seconds > 0) return std::chrono::seconds(seconds);
  }
  return std::chrono::seconds(60);
}

void BM_CollectorCpuPerHour(benchmark::State& state) {
  const bool with_counters = state.range(0) != 0;
  const std::unique_ptr<perf::Provider> provider = local::MakeLocalProvider();
  Corvane engine(*provider, false);
  engine.SetUpNewProfile();
  if (!with_counters) engine.RemoveAllAxes();
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  settings.Interval = 2;
  engine.SetSettings(settings);

  const auto length = RunLength();
  double cpu_seconds = 0;
  double wall_seconds = 0;
  int samples = 0;
  for (auto _ : state) {
    if (!engine.Start(nullptr, false)) {
      state.SkipWithError("another collector runs in this process");
      return;
    }
    const double cpu_before = ProcessCpuSeconds();
    const auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(length);
    samples = engine.GetSampleCount();
    cpu_seconds = ProcessCpuSeconds() - cpu_before;
    wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    if (!engine.Stop()) state.SkipWithError("the collector did not stop");
  }
  state.counters["axes"] = engine.GetAxisCount();
  state.counters["samples"] = samples;
  state.counters["cpu_s_per_hour"] = cpu_seconds / wall_seconds * 3600.0;
}

BENCHMARK(BM_CollectorCpuPerHour)
    ->ArgName("default_profile")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace corvane
