// The service's sample against the floor (bench/floor_probe.h: the same kernel sources, kept
// descriptors, minimal parsing), on the default profile as a first start makes it.
//
//   SampleAgainstFloor  one sample of each, taken in turn so that both see the same machine:
//                       the service's is the collector's pass (collect the query, store every
//                       counter, end the sample, logging off). Counters: floor_us, service_us
//                       and ratio (goal: at most 1.1).
//   TwoSecondCost       the real collector thread at a 2-second interval and a thread taking
//                       the floor's sample every 2 seconds, side by side for
//                       CORVANE_COLLECTOR_COST_SECONDS (60 unless set): CPU seconds per hour of
//                       each (the collector's includes its idle loop) and their ratio.
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/floor_probe.h"
#include "core/collector_session.h"
#include "core/engine.h"
#include "platform/linux/proc/local_provider.h"

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::vector<std::string> CounterPaths(const Corvane& engine) {
  std::vector<std::string> paths;
  for (int i = 0; i < engine.GetAxisCount(); ++i) paths.push_back(engine.GetCounterPath(i));
  return paths;
}

void LogOff(Corvane& engine, int interval) {
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  settings.Interval = interval;
  engine.SetSettings(settings);
}

void BM_SampleAgainstFloor(benchmark::State& state) {
  const std::unique_ptr<perf::Provider> provider = local::MakeLocalProvider();
  Corvane engine(*provider, false);
  engine.SetUpNewProfile();
  LogOff(engine, 2);
  bench::FloorProbe floor(CounterPaths(engine));

  CollectorSession session(*provider);
  const int counters = engine.PrepareStatistics();
  session.Prepare(counters);
  if (session.OpenQuery() != perf::kOk) {
    state.SkipWithError("the local provider opens no query");
    return;
  }
  for (int i = 0; i < counters; ++i) session.AddCounter(i, engine.GetCounterPath(i));
  session.Collect();
  floor.Sample();

  double floor_seconds = 0;
  double service_seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(floor.Sample());
    const auto between = Clock::now();
    session.Collect();
    session.StoreSample(engine);
    const auto end = Clock::now();
    floor_seconds += Seconds(between - start);
    service_seconds += Seconds(end - between);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["axes"] = counters;
  state.counters["floor_us"] = floor_seconds / n * 1e6;
  state.counters["service_us"] = service_seconds / n * 1e6;
  state.counters["ratio"] = floor_seconds > 0 ? service_seconds / floor_seconds : 0;
  engine.ReleaseStatistics();
}
BENCHMARK(BM_SampleAgainstFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

std::chrono::seconds RunLength() {
  if (const char* text = std::getenv("CORVANE_COLLECTOR_COST_SECONDS")) {
    const long seconds = std::strtol(text, nullptr, 10);
    if (seconds > 0) return std::chrono::seconds(seconds);
  }
  return std::chrono::seconds(60);
}

void BM_TwoSecondCost(benchmark::State& state) {
  const std::unique_ptr<perf::Provider> provider = local::MakeLocalProvider();
  Corvane engine(*provider, false);
  engine.SetUpNewProfile();
  LogOff(engine, 2);
  const auto length = RunLength();

  for (auto _ : state) {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    double floor_cpu = 0;
    std::thread floor_thread([&] {
      bench::FloorProbe floor(CounterPaths(engine));
      const double before = ThreadCpuSeconds();
      std::unique_lock lock(mutex);
      auto next = Clock::now();
      while (!stop) {
        benchmark::DoNotOptimize(floor.Sample());
        next += std::chrono::seconds(2);
        wake.wait_until(lock, next, [&] { return stop; });
      }
      floor_cpu = ThreadCpuSeconds() - before;
    });
    if (!engine.Start(nullptr, false)) {
      state.SkipWithError("another collector runs in this process");
      {
        std::lock_guard lock(mutex);
        stop = true;
      }
      wake.notify_all();
      floor_thread.join();
      return;
    }
    const double process_before = ProcessCpuSeconds();
    const auto wall_before = Clock::now();
    std::this_thread::sleep_for(length);
    const double process_cpu = ProcessCpuSeconds() - process_before;
    const double wall = Seconds(Clock::now() - wall_before);
    const int samples = engine.GetSampleCount();
    engine.Stop();
    {
      std::lock_guard lock(mutex);
      stop = true;
    }
    wake.notify_all();
    floor_thread.join();
    // The process's time in the window is the collector's and the floor thread's (this thread
    // sleeps); the floor thread's own clock tells them apart.
    const double service_cpu = process_cpu - floor_cpu;
    state.counters["service_cpu_s_per_h"] = service_cpu / wall * 3600;
    state.counters["floor_cpu_s_per_h"] = floor_cpu / wall * 3600;
    state.counters["ratio"] = floor_cpu > 0 ? service_cpu / floor_cpu : 0;
    state.counters["samples"] = samples;
  }
}
BENCHMARK(BM_TwoSecondCost)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace corvane
