// The counters of a Linux host as node_exporter (1.5 and later) writes them. Every cumulative
// metric is a counter since boot; rates and shares come from two scrapes. Metric names and
// labels are those of node_exporter's collectors: cpu, stat, meminfo, vmstat, filesystem,
// diskstats, netdev, netclass, time, and processes (off by default).

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_series.h"

namespace corvane::remote {
namespace {

using Series = ExporterPage::Series;

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// ---- Processor: node_cpu_seconds_total{cpu,mode}, seconds per CPU and mode (/proc/stat). ----
// The eight modes add up to all time; guest time is a separate metric already inside user and
// nice. Steal counts as busy, as locally.

constexpr std::string_view kCpuSeconds = "node_cpu_seconds_total";

bool CpuSeconds(const ScrapeView& scrape, const InstanceRef& instance,
                std::initializer_list<std::string_view> modes, double* seconds) {
  const ExporterPage& page = *scrape.page;
  return SumWhere(
      page, kCpuSeconds,
      [&](const Series& series) {
        if (!instance.total && !IsInstance(page.LabelOf(series, "cpu"), instance.name))
          return false;
        return OneOf(page.LabelOf(series, "mode"), modes);
      },
      seconds);
}

bool CpuShare(const ScrapeView& scrape, const InstanceRef& instance,
              std::initializer_list<std::string_view> modes, RawFigures* figures) {
  return CpuSeconds(scrape, instance, modes, &figures->a) &&
         CpuSeconds(scrape, instance,
                    {"user", "nice", "system", "idle", "iowait", "irq", "softirq", "steal"},
                    &figures->b);
}

bool ProcessorTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"user", "nice", "system", "irq", "softirq", "steal"}, f);
}
bool UserTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"user", "nice"}, f);
}
bool PrivilegedTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"system", "irq", "softirq"}, f);
}
bool InterruptTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"irq"}, f);
}
bool IdleTime(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return CpuShare(s, i, {"idle", "iowait"}, f);
}

// All CPUs: the "intr" line of /proc/stat. One CPU: its column of /proc/interrupts, which only
// the interrupts collector (off by default) writes.
bool InterruptsPerSec(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  if (i.total) return s.page->Value("node_intr_total", &f->a);
  return SumForInstance(*s.page, "node_interrupts_total", "cpu", i, &f->a);
}

void ListProcessors(const ExporterPage& page, std::vector<std::string>* out) {
  *out = DistinctLabelValues(page, kCpuSeconds, "cpu");
  // The exporter sorts label values as text ("10" before "2"); processors go by number, and
  // any name that is not a number after them.
  std::stable_sort(out->begin(), out->end(), [](const std::string& a, const std::string& b) {
    const bool a_number = IsDigits(a);
    const bool b_number = IsDigits(b);
    if (a_number != b_number) return a_number;
    if (a_number && a.size() != b.size()) return a.size() < b.size();
    return a < b;
  });
}

constexpr CounterSource kProcessorSources[] = {
    {CounterId::kProcessorTime, Formula::kTimeShare, {kCpuSeconds}, ProcessorTime},
    {CounterId::kUserTime, Formula::kTimeShare, {kCpuSeconds}, UserTime},
    {CounterId::kPrivilegedTime, Formula::kTimeShare, {kCpuSeconds}, PrivilegedTime},
    {CounterId::kInterruptTime, Formula::kTimeShare, {kCpuSeconds}, InterruptTime},
    {CounterId::kIdleTime, Formula::kTimeShare, {kCpuSeconds}, IdleTime},
    {CounterId::kInterruptsPerSec, Formula::kRate, {"node_intr_total"}, InterruptsPerSec},
};

constexpr ObjectSource kProcessorObject{ObjectId::kProcessor, ListProcessors, kProcessorSources};

// ---- Objects and System ----

// Processes and threads come from the processes collector, which is off by default: without
// it the counters do not exist on the host.
bool Processes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("node_processes_pids", &f->a);
}
bool Threads(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("node_processes_threads", &f->a);
}
bool ContextSwitches(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("node_context_switches_total", &f->a);
}

// Ready threads only, as on Windows: procs_running of /proc/stat counts the running ones too,
// one per online CPU at most.
bool ProcessorQueueLength(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  const ExporterPage& page = *s.page;
  double running = 0;
  if (!page.Value("node_procs_running", &running)) return false;
  double ignored = 0;
  int cpus = 0;
  SumWhere(
      page, kCpuSeconds,
      [&](const Series& series) { return page.LabelOf(series, "mode") == "idle"; }, &ignored,
      &cpus);
  f->a = std::max(0.0, running - cpus);
  return true;
}

// Both times come from the same scrape, so the host's clock needs no correction.
bool SystemUpTime(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  double now = 0;
  double boot = 0;
  if (!s.page->Value("node_time_seconds", &now) || !s.page->Value("node_boot_time_seconds", &boot))
    return false;
  f->a = now - boot;
  return true;
}

constexpr CounterSource kSystemSources[] = {
    {CounterId::kProcesses, Formula::kValue, {"node_processes_pids"}, Processes},
    {CounterId::kThreads, Formula::kValue, {"node_processes_threads"}, Threads},
    {CounterId::kContextSwitchesPerSec,
     Formula::kRate,
     {"node_context_switches_total"},
     ContextSwitches},
    {CounterId::kProcessorQueueLength,
     Formula::kValue,
     {"node_procs_running", kCpuSeconds},
     ProcessorQueueLength},
    {CounterId::kSystemUpTime,
     Formula::kValue,
     {"node_time_seconds", "node_boot_time_seconds"},
     SystemUpTime},
};

constexpr ObjectSource kSystemObject{ObjectId::kSystem, ListNoInstances, kSystemSources};
constexpr ObjectSource kObjectsObject{ObjectId::kObjects, ListNoInstances, kSystemSources};

// ---- Memory: /proc/meminfo in bytes, /proc/vmstat in counts. ----

bool Meminfo(const ExporterPage& page, std::string_view field, double* bytes) {
  return page.Value(field, bytes);
}

// The commit limit in the Windows sense, memory plus paging files; the kernel's CommitLimit is
// enforced only with strict overcommit, which the exporter cannot tell.
bool CommitLimitBytes(const ExporterPage& page, double* bytes) {
  double memory = 0;
  double swap = 0;
  if (!Meminfo(page, "node_memory_MemTotal_bytes", &memory) ||
      !Meminfo(page, "node_memory_SwapTotal_bytes", &swap))
    return false;
  *bytes = memory + swap;
  return true;
}

bool CommittedInUse(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return Meminfo(*s.page, "node_memory_Committed_AS_bytes", &f->a) &&
         CommitLimitBytes(*s.page, &f->b);
}
bool CommittedBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return Meminfo(*s.page, "node_memory_Committed_AS_bytes", &f->a);
}
bool CommitLimit(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return CommitLimitBytes(*s.page, &f->a);
}
bool AvailableBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return Meminfo(*s.page, "node_memory_MemAvailable_bytes", &f->a);
}
bool AvailableMBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  if (!Meminfo(*s.page, "node_memory_MemAvailable_bytes", &f->a)) return false;
  f->a = std::floor(f->a / 1048576.0);
  return true;
}
bool CacheBytes(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  double cached = 0;
  double buffers = 0;
  if (!Meminfo(*s.page, "node_memory_Cached_bytes", &cached) ||
      !Meminfo(*s.page, "node_memory_Buffers_bytes", &buffers))
    return false;
  f->a = cached + buffers;
  return true;
}
// Pages read to resolve hard faults plus pages written to swap, as locally.
bool PagesPerSec(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  double major = 0;
  double out = 0;
  if (!s.page->Value("node_vmstat_pgmajfault", &major) ||
      !s.page->Value("node_vmstat_pswpout", &out))
    return false;
  f->a = major + out;
  return true;
}
bool PageFaultsPerSec(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  return s.page->Value("node_vmstat_pgfault", &f->a);
}

constexpr CounterSource kMemorySources[] = {
    {CounterId::kCommittedBytesInUse,
     Formula::kFraction,
     {"node_memory_Committed_AS_bytes", "node_memory_MemTotal_bytes",
      "node_memory_SwapTotal_bytes"},
     CommittedInUse},
    {CounterId::kCommittedBytes,
     Formula::kValue,
     {"node_memory_Committed_AS_bytes"},
     CommittedBytes},
    {CounterId::kCommitLimit,
     Formula::kValue,
     {"node_memory_MemTotal_bytes", "node_memory_SwapTotal_bytes"},
     CommitLimit},
    {CounterId::kAvailableBytes,
     Formula::kValue,
     {"node_memory_MemAvailable_bytes"},
     AvailableBytes},
    {CounterId::kAvailableMBytes,
     Formula::kValue,
     {"node_memory_MemAvailable_bytes"},
     AvailableMBytes},
    {CounterId::kCacheBytes,
     Formula::kValue,
     {"node_memory_Cached_bytes", "node_memory_Buffers_bytes"},
     CacheBytes},
    {CounterId::kPagesPerSec,
     Formula::kRate,
     {"node_vmstat_pgmajfault", "node_vmstat_pswpout"},
     PagesPerSec},
    {CounterId::kPageFaultsPerSec, Formula::kRate, {"node_vmstat_pgfault"}, PageFaultsPerSec},
};

constexpr ObjectSource kMemoryObject{ObjectId::kMemory, ListNoInstances, kMemorySources};

// ---- Paging File: node_exporter 1.5 writes swap totals only, so "_Total" is the instance. ----

bool SwapUsage(const ScrapeView& s, const InstanceRef&, RawFigures* f) {
  double total = 0;
  double free = 0;
  if (!Meminfo(*s.page, "node_memory_SwapTotal_bytes", &total) ||
      !Meminfo(*s.page, "node_memory_SwapFree_bytes", &free))
    return false;
  f->a = total - free;
  f->b = total;
  return true;
}

constexpr CounterSource kPagingFileSources[] = {
    {CounterId::kUsage,
     Formula::kUsageFraction,
     {"node_memory_SwapTotal_bytes", "node_memory_SwapFree_bytes"},
     SwapUsage},
};

constexpr ObjectSource kPagingFileObject{ObjectId::kPagingFile, ListNoInstances,
                                         kPagingFileSources};

// ---- LogicalDisk: node_filesystem_*{device,fstype,mountpoint} (statfs of each mount). ----
// The exporter already leaves out pseudo file systems and system mount points. As locally, a
// device mounted twice counts once (its shortest mount point), and a mount whose statfs
// failed (device_error 1) is left out.

constexpr std::string_view kFsSize = "node_filesystem_size_bytes";

const Series* SameFilesystem(const ExporterPage& page, std::string_view metric,
                             const Series& size) {
  const std::string_view device = page.LabelOf(size, "device");
  const std::string_view mount = page.LabelOf(size, "mountpoint");
  for (const Series& series : page.Find(metric)) {
    if (page.LabelOf(series, "mountpoint") == mount && page.LabelOf(series, "device") == device)
      return &series;
  }
  return nullptr;
}

bool IsVolume(const ExporterPage& page, const Series& size) {
  const Series* error = SameFilesystem(page, "node_filesystem_device_error", size);
  if (error != nullptr && error->value != 0) return false;
  const std::string_view device = page.LabelOf(size, "device");
  const std::string_view mount = page.LabelOf(size, "mountpoint");
  for (const Series& other : page.Find(kFsSize)) {
    if (&other == &size || page.LabelOf(other, "device") != device) continue;
    const std::string_view other_mount = page.LabelOf(other, "mountpoint");
    if (other_mount.size() < mount.size() || (other_mount.size() == mount.size() && &other < &size))
      return false;
  }
  return true;
}

// Calls visit(size series) for each volume that is the instance (every volume for _Total).
template <typename Visit>
bool ForEachVolume(const ExporterPage& page, const InstanceRef& instance, Visit visit) {
  bool any = false;
  for (const Series& size : page.Find(kFsSize)) {
    if (!instance.total && !IsInstance(page.LabelOf(size, "mountpoint"), instance.name)) continue;
    if (!IsVolume(page, size)) continue;
    if (!visit(size)) return false;
    any = true;
  }
  return any;
}

bool AvailableAndSize(const ExporterPage& page, const InstanceRef& instance, RawFigures* f) {
  f->a = 0;
  f->b = 0;
  return ForEachVolume(page, instance, [&](const Series& size) {
    const Series* avail = SameFilesystem(page, "node_filesystem_avail_bytes", size);
    if (avail == nullptr) return false;
    f->a += avail->value;
    f->b += size.value;
    return true;
  });
}

// Free space as ordinary users see it (f_bavail), the figure used locally too.
bool FreeSpace(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return AvailableAndSize(*s.page, i, f);
}
bool FreeMegabytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  if (!AvailableAndSize(*s.page, i, f)) return false;
  f->a = std::floor(f->a / 1048576.0);
  f->b = 0;
  return true;
}

// A volume's I/O is its device's line of diskstats: "/dev/vda" there is "vda" here.
bool VolumeIo(const ExporterPage& page, const InstanceRef& instance, std::string_view metric,
              double* bytes) {
  *bytes = 0;
  return ForEachVolume(page, instance, [&](const Series& size) {
    std::string_view device = page.LabelOf(size, "device");
    if (!StartsWith(device, "/dev/")) return false;
    device.remove_prefix(5);
    for (const Series& series : page.Find(metric)) {
      if (page.LabelOf(series, "device") == device) {
        *bytes += series.value;
        return true;
      }
    }
    return false;
  });
}
bool VolumeReadBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return VolumeIo(*s.page, i, "node_disk_read_bytes_total", &f->a);
}
bool VolumeWriteBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return VolumeIo(*s.page, i, "node_disk_written_bytes_total", &f->a);
}

void ListVolumes(const ExporterPage& page, std::vector<std::string>* out) {
  out->clear();
  for (const Series& size : page.Find(kFsSize)) {
    if (IsVolume(page, size)) out->push_back(InstanceName(page.LabelOf(size, "mountpoint")));
  }
}

constexpr CounterSource kLogicalDiskSources[] = {
    {CounterId::kFreeSpace,
     Formula::kFraction,
     {kFsSize, "node_filesystem_avail_bytes"},
     FreeSpace},
    {CounterId::kFreeMegabytes,
     Formula::kValue,
     {kFsSize, "node_filesystem_avail_bytes"},
     FreeMegabytes},
    {CounterId::kDiskReadBytesPerSec,
     Formula::kRate,
     {kFsSize, "node_disk_read_bytes_total"},
     VolumeReadBytes},
    {CounterId::kDiskWriteBytesPerSec,
     Formula::kRate,
     {kFsSize, "node_disk_written_bytes_total"},
     VolumeWriteBytes},
};

constexpr ObjectSource kLogicalDiskObject{ObjectId::kLogicalDisk, ListVolumes, kLogicalDiskSources};

// ---- PhysicalDisk: node_disk_*{device} (/proc/diskstats). ----
// Whole disks only, as locally: the exporter drops most partitions, loop and ram devices, but
// keeps the logical layers (dm-, md, zram), which would count the same I/O twice.

bool NumberedName(std::string_view name, std::string_view prefix) {
  return StartsWith(name, prefix) && IsDigits(name.substr(prefix.size()));
}

bool IsPartition(std::string_view name) {
  // mmcblk0p1, nvme0n1p2: a "p" and digits after a whole disk's name ending in a digit.
  const auto p = name.rfind('p');
  if ((StartsWith(name, "mmcblk") || StartsWith(name, "nvme")) && p != std::string_view::npos &&
      p > 0 && IsDigits(name.substr(p + 1)) && name[p - 1] >= '0' && name[p - 1] <= '9')
    return true;
  // sda1, vdb2, xvda3: letters after sd/vd/hd/xvd, then digits.
  for (std::string_view prefix : {"sd", "vd", "hd", "xvd"}) {
    if (!StartsWith(name, prefix)) continue;
    std::size_t i = prefix.size();
    while (i < name.size() && name[i] >= 'a' && name[i] <= 'z') ++i;
    if (i > prefix.size() && i < name.size() && IsDigits(name.substr(i))) return true;
  }
  return false;
}

bool IsPhysicalDisk(std::string_view name) {
  for (std::string_view layer : {"loop", "ram", "zram", "dm-", "md", "nbd", "fd"}) {
    if (NumberedName(name, layer)) return false;
  }
  return !IsPartition(name);
}

constexpr std::string_view kDiskBusy = "node_disk_io_time_seconds_total";

bool DiskSum(const ExporterPage& page, std::string_view metric, const InstanceRef& instance,
             double* sum, int* disks = nullptr) {
  return SumWhere(
      page, metric,
      [&](const Series& series) {
        const std::string_view device = page.LabelOf(series, "device");
        if (!IsPhysicalDisk(device)) return false;
        return instance.total || IsInstance(device, instance.name);
      },
      sum, disks);
}

// Utilisation: the seconds the disk had I/O in flight (field 10 of diskstats) over the
// seconds elapsed, averaged over the disks for "_Total".
bool DiskBusy(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  int disks = 0;
  if (!DiskSum(*s.page, kDiskBusy, i, &f->a, &disks)) return false;
  f->b = disks;
  return true;
}
bool DiskBytes(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double read = 0;
  double written = 0;
  if (!DiskSum(*s.page, "node_disk_read_bytes_total", i, &read) ||
      !DiskSum(*s.page, "node_disk_written_bytes_total", i, &written))
    return false;
  f->a = read + written;
  return true;
}
bool DiskReads(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return DiskSum(*s.page, "node_disk_reads_completed_total", i, &f->a);
}
bool DiskWrites(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return DiskSum(*s.page, "node_disk_writes_completed_total", i, &f->a);
}
// The weighted time (field 11): the sum of the time every request was outstanding.
bool DiskQueue(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return DiskSum(*s.page, "node_disk_io_time_weighted_seconds_total", i, &f->a);
}

void ListDisks(const ExporterPage& page, std::vector<std::string>* out) {
  *out = DistinctLabelValues(page, kDiskBusy, "device");
  std::erase_if(*out, [](const std::string& name) { return !IsPhysicalDisk(name); });
}

constexpr CounterSource kPhysicalDiskSources[] = {
    {CounterId::kDiskTime, Formula::kShareOfTime, {kDiskBusy}, DiskBusy},
    {CounterId::kDiskIdleTime, Formula::kRestOfTime, {kDiskBusy}, DiskBusy},
    {CounterId::kDiskBytesPerSec,
     Formula::kRate,
     {"node_disk_read_bytes_total", "node_disk_written_bytes_total"},
     DiskBytes},
    {CounterId::kDiskReadsPerSec, Formula::kRate, {"node_disk_reads_completed_total"}, DiskReads},
    {CounterId::kDiskWritesPerSec,
     Formula::kRate,
     {"node_disk_writes_completed_total"},
     DiskWrites},
    {CounterId::kAvgDiskQueueLength,
     Formula::kRate,
     {"node_disk_io_time_weighted_seconds_total"},
     DiskQueue},
};

constexpr ObjectSource kPhysicalDiskObject{ObjectId::kPhysicalDisk, ListDisks,
                                           kPhysicalDiskSources};

// ---- Network Interface: node_network_*{device} (/proc/net/dev and /sys/class/net). ----
// Interfaces whose operstate is "down" are left out, as locally; Debian's exporter leaves out
// "lo" by default.

constexpr std::string_view kReceived = "node_network_receive_bytes_total";
constexpr std::string_view kSent = "node_network_transmit_bytes_total";

bool InterfaceValue(const ExporterPage& page, std::string_view metric, const InstanceRef& instance,
                    double* value) {
  if (instance.total) return false;  // the object has no "_Total"
  return SumForInstance(page, metric, "device", instance, value);
}

bool BytesTotal(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double received = 0;
  double sent = 0;
  if (!InterfaceValue(*s.page, kReceived, i, &received) ||
      !InterfaceValue(*s.page, kSent, i, &sent))
    return false;
  f->a = received + sent;
  return true;
}
bool BytesReceived(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return InterfaceValue(*s.page, kReceived, i, &f->a);
}
bool BytesSent(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  return InterfaceValue(*s.page, kSent, i, &f->a);
}
// speed_bytes is /sys/class/net/*/speed (Mbit/s) × 125000; an unknown speed (-1) appears as
// -125000 and, as locally, has no value.
bool CurrentBandwidth(const ScrapeView& s, const InstanceRef& i, RawFigures* f) {
  double bytes = 0;
  if (!InterfaceValue(*s.page, "node_network_speed_bytes", i, &bytes) || !(bytes > 0)) return false;
  f->a = bytes * 8;
  return true;
}

void ListInterfaces(const ExporterPage& page, std::vector<std::string>* out) {
  *out = DistinctLabelValues(page, kReceived, "device");
  std::erase_if(*out, [&](const std::string& name) {
    for (const Series& info : page.Find("node_network_info")) {
      if (IsInstance(page.LabelOf(info, "device"), name))
        return page.LabelOf(info, "operstate") == "down";
    }
    return false;
  });
}

constexpr CounterSource kNetworkSources[] = {
    {CounterId::kBytesTotalPerSec, Formula::kRate, {kReceived, kSent}, BytesTotal},
    {CounterId::kBytesReceivedPerSec, Formula::kRate, {kReceived}, BytesReceived},
    {CounterId::kBytesSentPerSec, Formula::kRate, {kSent}, BytesSent},
    {CounterId::kCurrentBandwidth, Formula::kValue, {"node_network_speed_bytes"}, CurrentBandwidth},
};

constexpr ObjectSource kNetworkObject{ObjectId::kNetworkInterface, ListInterfaces, kNetworkSources};

}  // namespace

std::span<const ObjectDef> NodeExporterObjects() {
  static const ExporterObjectTable table{
      kProcessorObject,    kMemoryObject,  kPagingFileObject, kLogicalDiskObject,
      kPhysicalDiskObject, kNetworkObject, kSystemObject,     kObjectsObject,
  };
  return table.objects();
}

}  // namespace corvane::remote
