#include "core/catalogue.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <utility>

#include "core/counter_item.h"
#include "core/engine.h"
#include "core/perf_names.h"

namespace corvane {
namespace {

namespace ix = perf::index;

std::mutex& StandardPathsMutex() {
  static std::mutex mutex;
  return mutex;
}

StandardPaths& StandardPathsStore() {
  static StandardPaths paths;  // guarded by StandardPathsMutex()
  return paths;
}

// The local machine's name for an index; its English name when the machine has none.
std::optional<std::string> NameOf(perf::Provider& provider, std::uint32_t index) {
  std::string name;
  if (provider.LookupNameByIndex("", index, &name) == perf::kOk && !name.empty()) return name;
  const std::string_view english = perf::EnglishName(index);
  if (english.empty()) return std::nullopt;
  return std::string(english);
}

// Interfaces that carry no traffic worth a throughput axis: the loopback as Windows names it,
// and as the Linux kernel names it. Whole-name, case-sensitive matches.
bool IsLoopback(std::string_view instance) {
  return instance == "MS TCP Loopback interface" || instance == "lo";
}

// Current Bandwidth is in bits per second; the axis shows kilobytes per second.
constexpr double kBitsPerSecondToKBytesPerSecond = 0.0001220703125;  // 1 / 8192
// A link whose speed cannot be read (virtual interfaces, many wireless ones) is scaled as a
// 100 Mbit/s link: an axis of maximum 0 would stand at the rim from the first byte.
constexpr double kUnknownLinkBitsPerSecond = 100'000'000.0;
constexpr double kNetworkMultiplier = 1024.0;  // bytes per second shown as KB/s

void AddCounterAxis(Corvane& engine, const std::string& name, bool inverse, double max_value,
                    double critical_value, double multiplier, std::string path) {
  auto item = std::make_unique<CounterItem>(std::move(path));
  // A refused axis (the chart is full) is left out; the item stays ours and is freed here.
  if (engine.AddAxis(name, "", inverse, 0.0, max_value, critical_value, multiplier, item.get())) {
    item.release();
  }
}

// A per-instance group's axis name: the plain name for a single instance, else the numbered
// one with the instance's 1-based position.
std::string NumberedName(std::size_t count, std::size_t position, std::string_view plain,
                         std::string_view before_number, std::string_view after_number) {
  if (count == 1) return std::string(plain);
  std::string name(before_number);
  name += std::to_string(position);
  name += after_number;
  return name;
}

void AddProcessors(Corvane& engine, perf::Provider& provider) {
  std::vector<std::string> instances;
  EnumObjectInstances(provider, ix::kProcessor, &instances);
  for (std::size_t i = 0; i < instances.size(); ++i) {
    std::string path;
    if (!BuildCounterPath(&path, provider, ix::kProcessor, ix::kProcessorTime, instances[i]))
      continue;
    AddCounterAxis(engine, NumberedName(instances.size(), i + 1, "% CPU", "% CPU-", ""), false, 100,
                   80, 1, std::move(path));
  }
}

void AddEachDiskSpace(Corvane& engine, perf::Provider& provider) {
  std::vector<std::string> instances;
  EnumObjectInstances(provider, ix::kLogicalDisk, &instances);
  if (instances.empty()) {
    std::string path;
    if (BuildCounterPath(&path, provider, ix::kLogicalDisk, ix::kFreeSpace, "_Total"))
      AddCounterAxis(engine, "% Disk Space Used", true, 100, 80, 1, std::move(path));
    return;
  }
  for (const std::string& instance : instances) {
    std::string path;
    if (!BuildCounterPath(&path, provider, ix::kLogicalDisk, ix::kFreeSpace, instance)) continue;
    AddCounterAxis(engine, "% Used on " + instance, true, 100, 80, 1, std::move(path));
  }
}

void AddEachDriveTime(Corvane& engine, perf::Provider& provider) {
  std::vector<std::string> instances;
  EnumObjectInstances(provider, ix::kPhysicalDisk, &instances);
  if (instances.empty()) {
    std::string path;
    if (BuildCounterPath(&path, provider, ix::kPhysicalDisk, ix::kDiskTime, "_Total"))
      AddCounterAxis(engine, "% Disk Access Time", false, 100, 80, 1, std::move(path));
    return;
  }
  for (std::size_t i = 0; i < instances.size(); ++i) {
    std::string path;
    if (!BuildCounterPath(&path, provider, ix::kPhysicalDisk, ix::kDiskTime, instances[i]))
      continue;
    AddCounterAxis(engine,
                   NumberedName(instances.size(), i + 1, "% H.Drive Time", "% H.Drive-", " Time"),
                   false, 100, 80, 1, std::move(path));
  }
}

void AddNetwork(Corvane& engine, perf::Provider& provider) {
  std::vector<std::string> instances;
  EnumObjectInstances(provider, ix::kNetworkInterface, &instances);
  std::vector<std::string> measured;
  std::vector<std::string> bandwidth;
  for (const std::string& instance : instances) {
    if (IsLoopback(instance)) continue;
    std::string bytes_path;
    std::string bandwidth_path;
    if (!BuildCounterPath(&bytes_path, provider, ix::kNetworkInterface, ix::kBytesTotalPerSec,
                          instance) ||
        !BuildCounterPath(&bandwidth_path, provider, ix::kNetworkInterface, ix::kCurrentBandwidth,
                          instance)) {
      continue;
    }
    measured.push_back(std::move(bytes_path));
    bandwidth.push_back(std::move(bandwidth_path));
  }

  std::vector<std::optional<double>> speeds;
  if (!ReadCountersOnce(provider, bandwidth, &speeds) || speeds.empty()) return;
  for (std::size_t j = 0; j < speeds.size(); ++j) {
    // An unreadable speed, or one no link can have, is taken as the 100 Mbit/s fallback; a
    // speed that really reads 0 keeps its axis of maximum 0.
    double bits_per_second = kUnknownLinkBitsPerSecond;
    if (speeds[j] && std::isfinite(*speeds[j]) && *speeds[j] >= 0.0) bits_per_second = *speeds[j];
    const double x = bits_per_second * kBitsPerSecondToKBytesPerSecond;
    AddCounterAxis(engine, NumberedName(speeds.size(), j + 1, "Network KB/s", "Network-", " KB/s"),
                   false, std::trunc(x), std::trunc(x * 0.2), kNetworkMultiplier,
                   std::move(measured[j]));
  }
}

}  // namespace

StandardPaths GetStandardPaths() {
  std::lock_guard lock(StandardPathsMutex());
  return StandardPathsStore();
}

void LocalizeStandardPaths(perf::Provider& provider) {
  // Built outside the lock: the lookups block on the provider.
  StandardPaths paths = GetStandardPaths();
  BuildCounterPath(&paths.processes, provider, ix::kObjects, ix::kProcesses);
  BuildCounterPath(&paths.threads, provider, ix::kObjects, ix::kThreads);
  BuildCounterPath(&paths.memory, provider, ix::kMemory, ix::kCommittedBytesInUse);
  BuildCounterPath(&paths.paging_file, provider, ix::kPagingFile, ix::kUsage, "_Total");
  BuildCounterPath(&paths.registry, provider, ix::kSystem, ix::kRegistryQuotaInUse);
  BuildCounterPath(&paths.sessions, provider, ix::kServer, ix::kServerSessions);
  BuildCounterPath(&paths.total_disk_space, provider, ix::kLogicalDisk, ix::kFreeSpace, "_Total");
  BuildCounterPath(&paths.total_drive_time, provider, ix::kPhysicalDisk, ix::kDiskTime, "_Total");
  std::lock_guard lock(StandardPathsMutex());
  StandardPathsStore() = std::move(paths);
}

bool BuildCounterPath(std::string* path, perf::Provider& provider, std::uint32_t object_index,
                      std::uint32_t counter_index, std::optional<std::string_view> instance) {
  const std::optional<std::string> object = NameOf(provider, object_index);
  const std::optional<std::string> counter = NameOf(provider, counter_index);
  if (!object || !counter) return false;
  std::string built = "\\" + *object;
  if (instance) {
    built += '(';
    built += *instance;
    built += ')';
  }
  built += '\\';
  built += *counter;
  *path = std::move(built);
  return true;
}

bool EnumObjectInstances(perf::Provider& provider, std::uint32_t object_index,
                         std::vector<std::string>* instances) {
  instances->clear();
  const std::optional<std::string> object = NameOf(provider, object_index);
  if (!object) return false;
  std::vector<std::string> counters;  // asked for by the interface, not needed here
  std::vector<std::string> all;
  if (provider.EnumObjectItems("", *object, &counters, &all) != perf::kOk) return false;
  for (std::string& instance : all) {
    if (instance != "_Total") instances->push_back(std::move(instance));
  }
  return true;
}

bool ReadCountersOnce(perf::Provider& provider, const std::vector<std::string>& paths,
                      std::vector<std::optional<double>>* values) {
  values->clear();
  std::unique_ptr<perf::Query> query;
  if (provider.OpenQuery(&query) != perf::kOk || query == nullptr) return false;
  std::vector<perf::CounterHandle> handles(paths.size(), perf::kNullCounter);
  for (std::size_t i = 0; i < paths.size(); ++i) query->AddCounter(paths[i], &handles[i]);
  if (query->Collect() == perf::kOk) {
    for (const perf::CounterHandle handle : handles) {
      double value = 0.0;
      if (handle != perf::kNullCounter && query->GetFormattedDouble(handle, &value) == perf::kOk) {
        values->emplace_back(value);
      } else {
        values->emplace_back(std::nullopt);
      }
    }
  }
  for (const perf::CounterHandle handle : handles) query->RemoveCounter(handle);
  return true;
}

void AddStandardCounters(bool use_default, std::uint32_t mask, Corvane& engine) {
  engine.RemoveAllAxes();
  if (use_default) mask = SC_DEFAULT;
  perf::Provider& provider = engine.GetProvider();
  const StandardPaths paths = GetStandardPaths();

  if (mask & SC_CPU) AddProcessors(engine, provider);
  if (mask & SC_PROCESSES)
    AddCounterAxis(engine, "# Processes", false, 1000, 100, 1, paths.processes);
  if (mask & SC_THREADS) AddCounterAxis(engine, "# Threads", false, 1000, 800, 1, paths.threads);
  if (mask & SC_MEMORY) AddCounterAxis(engine, "% Memory", false, 100, 80, 1, paths.memory);
  if (mask & SC_VIRTUAL_MEMORY)
    AddCounterAxis(engine, "% Virtual Memory", false, 100, 50, 1, paths.paging_file);
  if (mask & SC_REGISTRY)
    AddCounterAxis(engine, "% Registry Used", false, 100, 80, 1, paths.registry);
  if (mask & SC_TOTAL_DISK_SPACE)
    AddCounterAxis(engine, "% Disk Space Used", true, 100, 80, 1, paths.total_disk_space);
  if (mask & SC_EACH_DISK_SPACE) AddEachDiskSpace(engine, provider);
  if (mask & SC_TOTAL_DRIVE_TIME)
    AddCounterAxis(engine, "% Hard Drive Time", false, 100, 80, 1, paths.total_drive_time);
  if (mask & SC_EACH_DRIVE_TIME) AddEachDriveTime(engine, provider);
  if (mask & SC_NETWORK) AddNetwork(engine, provider);
  if (mask & SC_SESSIONS) AddCounterAxis(engine, "# Sessions", false, 100, 50, 1, paths.sessions);
}

}  // namespace corvane
