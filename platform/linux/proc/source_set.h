// The kernel sources of one query, each read at most once per collection and only when a
// counter asks for it: /proc/stat, /proc/interrupts, /proc/loadavg, /proc/uptime, /proc/meminfo,
// /proc/sys/vm/overcommit_memory, /proc/vmstat, /proc/swaps, /proc/diskstats, /proc/net/dev,
// the /proc directory, the mount table with each volume's size, and per-device sysfs files.
// Owned by one query (or one enumeration); one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/proc/block_devices.h"
#include "platform/linux/proc/diskstats_parser.h"
#include "platform/linux/proc/file_source.h"
#include "platform/linux/proc/interrupts_parser.h"
#include "platform/linux/proc/loadavg_parser.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/linux/proc/meminfo_parser.h"
#include "platform/linux/proc/mount_table.h"
#include "platform/linux/proc/net_links.h"
#include "platform/linux/proc/netdev_parser.h"
#include "platform/linux/proc/process_scan.h"
#include "platform/linux/proc/stat_parser.h"
#include "platform/linux/proc/swaps_parser.h"
#include "platform/linux/proc/sysfs_value_parser.h"
#include "platform/linux/proc/uptime_parser.h"
#include "platform/linux/proc/vmstat_parser.h"

namespace corvane::local {

class SourceSet {
 public:
  explicit SourceSet(const LocalProviderOptions& options);

  // Starts the next collection, taken at `now_ns` of a monotonic clock. Nothing is read until a
  // counter asks.
  void BeginCollection(std::int64_t now_ns);
  std::uint64_t collection() const { return collection_; }

  // Each reads its file on the first call of a collection and then answers from memory.
  const FileSource<StatSnapshot>& Stat() { return Refreshed(stat_); }
  const FileSource<InterruptsSnapshot>& Interrupts() { return Refreshed(interrupts_); }
  const FileSource<LoadavgSnapshot>& Loadavg() { return Refreshed(loadavg_); }
  const FileSource<UptimeSnapshot>& Uptime() { return Refreshed(uptime_); }
  const FileSource<MeminfoSnapshot>& Meminfo() { return Refreshed(meminfo_); }
  const FileSource<SysctlSnapshot>& Overcommit() { return Refreshed(overcommit_); }
  const FileSource<VmstatSnapshot>& Vmstat() { return Refreshed(vmstat_); }
  const FileSource<SwapsSnapshot>& Swaps() { return Refreshed(swaps_); }
  const FileSource<DiskstatsSnapshot>& Diskstats() { return Refreshed(diskstats_); }
  const FileSource<NetDevSnapshot>& NetDev() { return Refreshed(netdev_); }

  // Directories named by a number in the /proc root; empty when the scan fails.
  std::optional<std::uint64_t> Processes();

  const RowTable<Volume>& Volumes() { return mounts_.Volumes(collection_); }
  std::optional<VolumeSpace> Space(std::size_t volume) {
    return mounts_.Space(volume, collection_);
  }
  bool IsPhysicalDisk(std::string_view name) { return block_devices_.IsPhysicalDisk(name); }
  bool IsInterfaceInstance(std::string_view name) { return links_.IsInstance(name, collection_); }
  std::optional<std::int64_t> InterfaceSpeedMbits(std::string_view name) {
    return links_.SpeedMbits(name, collection_);
  }

  // One line per source whose last read failed: the file, the field or the system's reason.
  std::string DescribeErrors() const;

  // The failing source a counter met: BeginCounter forgets the last one, and every source a
  // counter then asks for that has no data this collection becomes FailedSource.
  void BeginCounter() { failed_ = nullptr; }
  const SourceReport* FailedSource() const { return failed_; }

 private:
  class ProcessesReport final : public SourceReport {
   public:
    explicit ProcessesReport(const SourceSet& sources) : sources_(sources) {}
    std::string DescribeError() const override;

   private:
    const SourceSet& sources_;
  };

  template <typename Source>
  const Source& Refreshed(Source& source) {
    source.Refresh(collection_, now_ns_);
    if (source.current() == nullptr) failed_ = &source;
    return source;
  }

  std::uint64_t collection_ = 0;
  std::int64_t now_ns_ = 0;

  FileSource<StatSnapshot> stat_;
  FileSource<InterruptsSnapshot> interrupts_;
  FileSource<LoadavgSnapshot> loadavg_;
  FileSource<UptimeSnapshot> uptime_;
  FileSource<MeminfoSnapshot> meminfo_;
  FileSource<SysctlSnapshot> overcommit_;
  FileSource<VmstatSnapshot> vmstat_;
  FileSource<SwapsSnapshot> swaps_;
  FileSource<DiskstatsSnapshot> diskstats_;
  FileSource<NetDevSnapshot> netdev_;
  ProcessScan processes_;
  std::uint64_t processes_collection_ = 0;
  int processes_error_ = 0;
  std::uint64_t process_count_ = 0;
  MountTable mounts_;
  BlockDevices block_devices_;
  NetLinks links_;
  ProcessesReport processes_report_{*this};
  const SourceReport* failed_ = nullptr;
};

}  // namespace corvane::local
