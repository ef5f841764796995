// The counters of a Windows host as windows_exporter writes them. The exporter reads the
// performance system's raw counters: rate counters come as cumulative "_total" metrics (100 ns
// timers already in seconds), so rates and shares come from two scrapes, as with
// node_exporter. Current metric names come first, older ones (os instead of system, the os
// collector's paging totals) as fallbacks. The exporter drops "_Total" instances; totals are
// computed here.

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_series.h"

namespace corvane::remote {
namespace {

using Series = ExporterPage::Series;

constexpr std::string_view kTotal = "_Total";

void ListLabel(const ExporterPage& page, std::string_view metric, std::string_view label,
               std::vector<std::string>* out) {
  *out = DistinctLabelValues(page, metric, label);
  std::erase(*out, std::string(kTotal));
}

// Σ of metric over the samples whose label is the instance, skipping an exporter's own
// "_Total" sample so that a total is never counted twice.
bool LabelSum(const ExporterPage& page, std::string_view metric, std::string_view label,
              const InstanceRef& instance, double* sum, int* kept = nullptr) {
  return SumWhere(
      page, metric,
      [&](const Series& series) {
        const std::string_view value = page.LabelOf(series, label);
        if (value == kTotal) return false;
        return instance.total || IsInstance(value, instance.name);
      },
      sum, kept);
}

// ---- Processor: windows_cpu_time_total{core,mode}, seconds per mode. ----
// The source object is Processor Information, whose instances are "group,number" ("0,3").
// Processor instance N is the N-th core in the exporter's order. Privileged time already holds
// interrupt and DPC time, so idle + user + privileged is all time.

constexpr std::string_view kCpuTime = "windows_cpu_time_total";

// The core label of the processor instance, or empty when there is no such processor.
std::string_view CoreOf(const ExporterPage& page, std::string_view metric,
                        std::string_view instance) {
  unsigned wanted = 0;
  const auto [end, error] =
      std::from_chars(instance.data(), instance.data() + instance.size(), wanted);
  if (error != std::errc() || end != instance.data() + instance.size()) return {};
  std::string_view previous;
  unsigned position = 0;
  bool first = true;
  for (const Series& series : page.Find(metric)) {
    const std::string_view core = page.LabelOf(series, "core");
    if (core.empty() || core == kTotal || (!first && core == previous)) continue;
    if (!first) ++position;
    first = false;
    previous = core;
    if (position == wanted) return core;
  }
  return {};
}

bool CoreSum(const ExporterPage& page, std::string_view metric, const InstanceRef& instance,
             std::initializer_list<std::string_view> modes, double* sum) {
  std::string_view core;
  if (!instance.total) {
    core = CoreOf(page, metric, instance.name);
    if (core.empty()) return false;
  }
  return SumWhere(
      page, metric,
      [&](const Series& series) {
        const std::string_view label = page.LabelOf(series, "core");
        if (label == kTotal || (!instance.total && label != core)) return false;
        return modes.size() == 0 || OneOf(page.LabelOf(series, "mode"), modes);
      },
      sum);
}

bool CpuShare(const ScrapeView& s, const InstanceRef& i,
              std::initializer_list<std::string_view> modes, RawFigures* f) {
  return CoreSum(*s.page, kCpuTime, i, modes, &f->a) &&
         CoreSum(*s.page, kCpuTime, i, {"idle", "user", "privileged"}, &f->b);
}

bool ProcessorTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"user", "privileged"}, f);
}
bool UserTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"user"}, f);
}
bool PrivilegedTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"privileged"}, f);
}
bool InterruptTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"interrupt"}, f);
}
bool IdleTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"idle"}, f);
}
bool InterruptsPerSec(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CoreSum(*s.page, "windows_cpu_interrupts_total", i, {}, &f->a);
}

void ListProcessors(const ExporterPage& page, std::vector<std::string>* out) {
  std::vector<std::string> cores;
  ListLabel(page, kCpuTime, "core", &cores);
  out->clear();
  for (std::size_t i = 0; i < cores.size(); ++i) out->push_back(std::to_string(i));
}

constexpr CounterSource kProcessorSources[] = {
    {CounterId::kProcessorTime, Formula::kTimeShare, {kCpuTime}, ProcessorTime},
    {CounterId::kUserTime, Formula::kTimeShare, {kCpuTime}, UserTime},
    {CounterId::kPrivilegedTime, Formula::kTimeShare, {kCpuTime}, PrivilegedTime},
    {CounterId::kInterruptTime, Formula::kTimeShare, {kCpuTime}, InterruptTime},
    {CounterId::kIdleTime, Formula::kTimeShare, {kCpuTime}, IdleTime},
    {CounterId::kInterruptsPerSec,
     Formula::kRate,
     {"windows_cpu_interrupts_total"},
     InterruptsPerSec},
};

constexpr ObjectSource kProcessorObject{ObjectId::kProcessor, ListProcessors, kProcessorSources};

// ---- Objects and System ----

bool Processes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return ValueOfFirst(*s.page, {"windows_system_processes", "windows_os_processes"}, &f->a);
}
bool Threads(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_system_threads", &f->a);
}
bool ContextSwitches(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_system_context_switches_total", &f->a);
}
bool ProcessorQueueLength(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_system_processor_queue_length", &f->a);
}
// The exporter gives the boot time as a Unix timestamp (under three names over its versions;
// the oldest, despite its name, too); "now" is this machine's clock, as the page has none.
bool SystemUpTime(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  double boot = 0;
  if (!ValueOfFirst(*s.page,
                    {"windows_system_boot_time_timestamp",
                     "windows_system_boot_time_timestamp_seconds", "windows_system_system_up_time"},
                    &boot))
    return false;
  f->a = s.wall_time - boot;
  return true;
}

constexpr std::string_view kProcessesMetric = "windows_system_processes|windows_os_processes";

constexpr CounterSource kSystemSources[] = {
    {CounterId::kProcesses, Formula::kValue, {kProcessesMetric}, Processes},
    {CounterId::kThreads, Formula::kValue, {"windows_system_threads"}, Threads},
    {CounterId::kContextSwitchesPerSec,
     Formula::kRate,
     {"windows_system_context_switches_total"},
     ContextSwitches},
    {CounterId::kProcessorQueueLength,
     Formula::kValue,
     {"windows_system_processor_queue_length"},
     ProcessorQueueLength},
    {CounterId::kSystemUpTime,
     Formula::kValue,
     {"windows_system_boot_time_timestamp|windows_system_boot_time_timestamp_seconds|"
      "windows_system_system_up_time"},
     SystemUpTime},
};

constexpr ObjectSource kSystemObject{ObjectId::kSystem, ListNoInstances, kSystemSources};
constexpr ObjectSource kObjectsObject{ObjectId::kObjects, ListNoInstances, kSystemSources};

// ---- Memory (the memory collector, default since v0.29). ----

bool CommittedInUse(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_committed_bytes", &f->a) &&
         s.page->Value("windows_memory_commit_limit", &f->b);
}
bool CommittedBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_committed_bytes", &f->a);
}
bool CommitLimit(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_commit_limit", &f->a);
}
bool AvailableBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_available_bytes", &f->a);
}
bool AvailableMBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  if (!s.page->Value("windows_memory_available_bytes", &f->a)) return false;
  f->a = std::floor(f->a / 1048576.0);
  return true;
}
bool CacheBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_cache_bytes", &f->a);
}
// The raw "Pages/sec" counter: pages read and written to resolve hard faults.
bool PagesPerSec(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_swap_page_operations_total", &f->a);
}
bool PageFaultsPerSec(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("windows_memory_page_faults_total", &f->a);
}

constexpr CounterSource kMemorySources[] = {
    {CounterId::kCommittedBytesInUse,
     Formula::kFraction,
     {"windows_memory_committed_bytes", "windows_memory_commit_limit"},
     CommittedInUse},
    {CounterId::kCommittedBytes,
     Formula::kValue,
     {"windows_memory_committed_bytes"},
     CommittedBytes},
    {CounterId::kCommitLimit, Formula::kValue, {"windows_memory_commit_limit"}, CommitLimit},
    {CounterId::kAvailableBytes,
     Formula::kValue,
     {"windows_memory_available_bytes"},
     AvailableBytes},
    {CounterId::kAvailableMBytes,
     Formula::kValue,
     {"windows_memory_available_bytes"},
     AvailableMBytes},
    {CounterId::kCacheBytes, Formula::kValue, {"windows_memory_cache_bytes"}, CacheBytes},
    {CounterId::kPagesPerSec,
     Formula::kRate,
     {"windows_memory_swap_page_operations_total"},
     PagesPerSec},
    {CounterId::kPageFaultsPerSec,
     Formula::kRate,
     {"windows_memory_page_faults_total"},
     PageFaultsPerSec},
};

constexpr ObjectSource kMemoryObject{ObjectId::kMemory, ListNoInstances, kMemorySources};

// ---- Paging File: the pagefile collector per file (v0.30+, off by default), or the os
// collector's totals of older versions. ----

bool PagingUsage(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  const ExporterPage& page = *s.page;
  double limit = 0;
  double free = 0;
  if (page.Has("windows_pagefile_limit_bytes")) {
    if (!LabelSum(page, "windows_pagefile_limit_bytes", "file", i, &limit) ||
        !LabelSum(page, "windows_pagefile_free_bytes", "file", i, &free))
      return false;
  } else {
    if (!i.total || !page.Value("windows_os_paging_limit_bytes", &limit) ||
        !page.Value("windows_os_paging_free_bytes", &free))
      return false;
  }
  f->a = limit - free;
  f->b = limit;
  return true;
}

void ListPagingFiles(const ExporterPage& page, std::vector<std::string>* out) {
  ListLabel(page, "windows_pagefile_limit_bytes", "file", out);
}

constexpr CounterSource kPagingFileSources[] = {
    {CounterId::kUsage,
     Formula::kUsageFraction,
     {"windows_pagefile_limit_bytes|windows_os_paging_limit_bytes",
      "windows_pagefile_free_bytes|windows_os_paging_free_bytes"},
     PagingUsage},
};

constexpr ObjectSource kPagingFileObject{ObjectId::kPagingFile, ListPagingFiles,
                                         kPagingFileSources};

// ---- LogicalDisk: windows_logical_disk_*{volume}. Sizes are whole MiB (the exporter derives
// them from Free Megabytes and the base of % Free Space). ----

constexpr std::string_view kVolumeSize = "windows_logical_disk_size_bytes";
constexpr std::string_view kVolumeFree = "windows_logical_disk_free_bytes";

bool FreeSpace(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return LabelSum(*s.page, kVolumeFree, "volume", i, &f->a) &&
         LabelSum(*s.page, kVolumeSize, "volume", i, &f->b);
}
bool FreeMegabytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  if (!LabelSum(*s.page, kVolumeFree, "volume", i, &f->a)) return false;
  f->a = std::floor(f->a / 1048576.0);
  return true;
}
bool VolumeReadBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return LabelSum(*s.page, "windows_logical_disk_read_bytes_total", "volume", i, &f->a);
}
bool VolumeWriteBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return LabelSum(*s.page, "windows_logical_disk_write_bytes_total", "volume", i, &f->a);
}

void ListVolumes(const ExporterPage& page, std::vector<std::string>* out) {
  ListLabel(page, kVolumeSize, "volume", out);
}

constexpr CounterSource kLogicalDiskSources[] = {
    {CounterId::kFreeSpace, Formula::kFraction, {kVolumeFree, kVolumeSize}, FreeSpace},
    {CounterId::kFreeMegabytes, Formula::kValue, {kVolumeFree}, FreeMegabytes},
    {CounterId::kDiskReadBytesPerSec,
     Formula::kRate,
     {"windows_logical_disk_read_bytes_total"},
     VolumeReadBytes},
    {CounterId::kDiskWriteBytesPerSec,
     Formula::kRate,
     {"windows_logical_disk_write_bytes_total"},
     VolumeWriteBytes},
};

constexpr ObjectSource kLogicalDiskObject{ObjectId::kLogicalDisk, ListVolumes, kLogicalDiskSources};

// ---- PhysicalDisk: windows_physical_disk_*{disk} (default since v0.24). ----
// % Disk Time is utilisation, as for Linux hosts: the share of time the disk was not idle.
// The exporter's read and write seconds sum the time of outstanding requests, which is the
// queue length, not a share of time.

constexpr std::string_view kDiskIdle = "windows_physical_disk_idle_seconds_total";

bool DiskIdle(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  int disks = 0;
  if (!LabelSum(*s.page, kDiskIdle, "disk", i, &f->a, &disks)) return false;
  f->b = disks;
  return true;
}
bool DiskBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double read = 0;
  double written = 0;
  if (!LabelSum(*s.page, "windows_physical_disk_read_bytes_total", "disk", i, &read) ||
      !LabelSum(*s.page, "windows_physical_disk_write_bytes_total", "disk", i, &written))
    return false;
  f->a = read + written;
  return true;
}
bool DiskReads(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return LabelSum(*s.page, "windows_physical_disk_reads_total", "disk", i, &f->a);
}
bool DiskWrites(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return LabelSum(*s.page, "windows_physical_disk_writes_total", "disk", i, &f->a);
}
bool DiskQueue(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double read = 0;
  double write = 0;
  if (!LabelSum(*s.page, "windows_physical_disk_read_seconds_total", "disk", i, &read) ||
      !LabelSum(*s.page, "windows_physical_disk_write_seconds_total", "disk", i, &write))
    return false;
  f->a = read + write;
  return true;
}

void ListDisks(const ExporterPage& page, std::vector<std::string>* out) {
  ListLabel(page, kDiskIdle, "disk", out);
}

constexpr CounterSource kPhysicalDiskSources[] = {
    {CounterId::kDiskTime, Formula::kRestOfTime, {kDiskIdle}, DiskIdle},
    {CounterId::kDiskIdleTime, Formula::kShareOfTime, {kDiskIdle}, DiskIdle},
    {CounterId::kDiskBytesPerSec,
     Formula::kRate,
     {"windows_physical_disk_read_bytes_total", "windows_physical_disk_write_bytes_total"},
     DiskBytes},
    {CounterId::kDiskReadsPerSec, Formula::kRate, {"windows_physical_disk_reads_total"}, DiskReads},
    {CounterId::kDiskWritesPerSec,
     Formula::kRate,
     {"windows_physical_disk_writes_total"},
     DiskWrites},
    {CounterId::kAvgDiskQueueLength,
     Formula::kRate,
     {"windows_physical_disk_read_seconds_total", "windows_physical_disk_write_seconds_total"},
     DiskQueue},
};

constexpr ObjectSource kPhysicalDiskObject{ObjectId::kPhysicalDisk, ListDisks,
                                           kPhysicalDiskSources};

// ---- Network Interface: windows_net_*{nic}; no "_Total", as on Windows. ----

bool NicValue(const ExporterPage& page, std::string_view metric, const InstanceRef& i,
              double* value) {
  return !i.total && LabelSum(page, metric, "nic", i, value);
}
bool BytesTotal(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return NicValue(*s.page, "windows_net_bytes_total", i, &f->a);
}
bool BytesReceived(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return NicValue(*s.page, "windows_net_bytes_received_total", i, &f->a);
}
bool BytesSent(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return NicValue(*s.page, "windows_net_bytes_sent_total", i, &f->a);
}
// Current Bandwidth is bits per second; the exporter divides it by 8.
bool CurrentBandwidth(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double bytes = 0;
  if (!NicValue(*s.page, "windows_net_current_bandwidth_bytes", i, &bytes) || !(bytes > 0))
    return false;
  f->a = bytes * 8;
  return true;
}

void ListInterfaces(const ExporterPage& page, std::vector<std::string>* out) {
  ListLabel(page, "windows_net_bytes_total", "nic", out);
}

constexpr CounterSource kNetworkSources[] = {
    {CounterId::kBytesTotalPerSec, Formula::kRate, {"windows_net_bytes_total"}, BytesTotal},
    {CounterId::kBytesReceivedPerSec,
     Formula::kRate,
     {"windows_net_bytes_received_total"},
     BytesReceived},
    {CounterId::kBytesSentPerSec, Formula::kRate, {"windows_net_bytes_sent_total"}, BytesSent},
    {CounterId::kCurrentBandwidth,
     Formula::kValue,
     {"windows_net_current_bandwidth_bytes"},
     CurrentBandwidth},
};

constexpr ObjectSource kNetworkObject{ObjectId::kNetworkInterface, ListInterfaces, kNetworkSources};

}  // namespace

std::span<const ObjectDef> WindowsExporterObjects() {
  static const ExporterObjectTable table{
      kProcessorObject,    kMemoryObject,  kPagingFileObject, kLogicalDiskObject,
      kPhysicalDiskObject, kNetworkObject, kSystemObject,     kObjectsObject,
  };
  return table.objects();
}

}  // namespace corvane::remote
