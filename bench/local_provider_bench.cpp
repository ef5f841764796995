// One collection of the standard counters from the local provider (Collect, then
// GetFormattedDouble of each), against the raw kernel reads it cannot avoid. The "allocs"
// counter reports heap allocations per collection in steady state (goal: 0).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using corvane::perf::CounterHandle;

std::vector<std::string> Instances(corvane::perf::Provider* provider, const char* object) {
  std::vector<std::string> counters;
  std::vector<std::string> instances;
  provider->EnumObjectItems("", object, &counters, &instances);
  return instances;
}

// The counters of the default profile plus each network interface, as the catalogue builds them.
std::vector<std::string> StandardPaths(corvane::perf::Provider* provider) {
  std::vector<std::string> paths = {"\\Processor(_Total)\\% Processor Time"};
  for (const std::string& cpu : Instances(provider, "Processor")) {
    if (cpu != "_Total") paths.push_back("\\Processor(" + cpu + ")\\% Processor Time");
  }
  for (const char* path :
       {"\\Objects\\Processes", "\\Objects\\Threads", "\\Memory\\% Committed Bytes In Use",
        "\\Paging File(_Total)\\% Usage", "\\LogicalDisk(_Total)\\% Free Space",
        "\\PhysicalDisk(_Total)\\% Disk Time"})
    paths.emplace_back(path);
  for (const std::string& name : Instances(provider, "Network Interface"))
    paths.push_back("\\Network Interface(" + name + ")\\Bytes Total/sec");
  return paths;
}

void BM_StandardCollection(benchmark::State& state) {
  const auto provider = corvane::local::MakeLocalProvider();
  const std::vector<std::string> paths = StandardPaths(provider.get());
  std::unique_ptr<corvane::perf::Query> query;
  provider->OpenQuery(&query);
  std::vector<CounterHandle> handles(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (query->AddCounter(paths[i], &handles[i]) != corvane::perf::kOk) {
      state.SkipWithError(("cannot add " + paths[i]).c_str());
      return;
    }
  }
  for (int i = 0; i < 3; ++i) query->Collect();
  const long allocations_before = g_allocations.load();
  int valid = 0;
  for (auto _ : state) {
    query->Collect();
    for (const CounterHandle handle : handles) {
      double value = 0;
      if (query->GetFormattedDouble(handle, &value) == corvane::perf::kOk) ++valid;
      benchmark::DoNotOptimize(value);
    }
  }
  const double collections = static_cast<double>(state.iterations());
  state.counters["allocs"] =
      static_cast<double>(g_allocations.load() - allocations_before) / collections;
  state.counters["counters"] = static_cast<double>(paths.size());
  state.counters["valid"] = valid / collections;
}
BENCHMARK(BM_StandardCollection)->Unit(benchmark::kMicrosecond);

// The same kernel reads with nothing around them: each file pread until it returns 0 (or once
// for single-show files), the /proc scan, statvfs("/"), the mount-table poll and operstate.
void BM_RawReads(benchmark::State& state) {
  struct File {
    const char* path;
    bool whole;
  };
  const File files[] = {{"/proc/stat", true},
                        {"/proc/loadavg", true},
                        {"/proc/meminfo", true},
                        {"/proc/sys/vm/overcommit_memory", true},
                        {"/proc/swaps", false},
                        {"/proc/diskstats", false},
                        {"/proc/net/dev", false},
                        {"/sys/class/net/lo/operstate", true},
                        {"/sys/class/net/eth0/operstate", true}};
  std::vector<std::pair<int, bool>> fds;
  for (const File& file : files) {
    const int fd = ::open(file.path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) fds.emplace_back(fd, file.whole);
  }
  const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int mounts = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  std::vector<char> buffer(65536);
  for (auto _ : state) {
    for (const auto& [fd, whole] : fds) {
      ssize_t used = 0;
      for (;;) {
        const ssize_t n = ::pread(fd, buffer.data() + used, buffer.size() - used, used);
        if (n <= 0) break;
        used += n;
        if (whole) break;
      }
    }
    ::lseek(proc, 0, SEEK_SET);
    while (::syscall(SYS_getdents64, proc, buffer.data(), buffer.size()) > 0) {
    }
    struct statvfs info {};
    ::statvfs("/", &info);
    pollfd watch{mounts, POLLPRI, 0};
    ::poll(&watch, 1, 0);
    benchmark::DoNotOptimize(buffer.data());
  }
  for (const auto& [fd, whole] : fds) ::close(fd);
  ::close(proc);
  ::close(mounts);
}
BENCHMARK(BM_RawReads)->Unit(benchmark::kMicrosecond);

void BM_ProcessScanOnly(benchmark::State& state) {
  const auto provider = corvane::local::MakeLocalProvider();
  std::unique_ptr<corvane::perf::Query> query;
  provider->OpenQuery(&query);
  CounterHandle handle = 0;
  query->AddCounter("\\Objects\\Processes", &handle);
  for (auto _ : state) {
    query->Collect();
    double value = 0;
    query->GetFormattedDouble(handle, &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_ProcessScanOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
