// LogicalDisk counters from the mount table, statvfs and /proc/diskstats; PhysicalDisk
// counters from /proc/diskstats and /sys/block.
#include "core/counter_math.h"
#include "platform/linux/proc/counter_eval.h"
#include "platform/linux/proc/instance_names.h"

namespace corvane::local::eval {
namespace {

using Count = perf::CounterDelta<std::uint64_t>;

constexpr double kSectorBytes = 512;  // diskstats sectors, whatever the device's block size
constexpr std::uint64_t kMebibyte = 1024 * 1024;

Value SectorRate(const Count& sectors, double seconds) {
  const Value rate = perf::PerSecond(sectors, seconds);
  if (!rate) return std::nullopt;
  return *rate * kSectorBytes;
}

// The diskstats line of the device a volume lives on: by device number, or, for file systems
// on anonymous devices (btrfs), by the name of the /dev node it was mounted from.
const DiskStat* VolumeDisk(const Volume& volume, const DiskstatsSnapshot& disks,
                           std::size_t* index) {
  for (std::size_t i = 0; i < disks.disks.size(); ++i) {
    const DiskStat& disk = disks.disks[i];
    const bool same = volume.major != 0
                          ? disk.major == volume.major && disk.minor == volume.minor
                          : !volume.device_name.empty() && disk.name == volume.device_name;
    if (same) {
      *index = i;
      return &disk;
    }
  }
  return nullptr;
}

Value VolumeTransfer(CounterId id, const Volume& volume,
                     const FileSource<DiskstatsSnapshot>& source, std::size_t* disk_index) {
  const DiskstatsSnapshot* now = source.current();
  const DiskstatsSnapshot* before = source.previous();
  if (now == nullptr || before == nullptr) return std::nullopt;
  const DiskStat* after = VolumeDisk(volume, *now, disk_index);
  if (after == nullptr) return std::nullopt;
  const DiskStat* earlier = SameNameIn(before->disks, *after, *disk_index);
  if (earlier == nullptr) return std::nullopt;
  if (id == CounterId::kDiskReadBytesPerSec)
    return SectorRate(Count::Between(earlier->sectors_read, after->sectors_read), source.seconds());
  return SectorRate(Count::Between(earlier->sectors_written, after->sectors_written),
                    source.seconds());
}

Value LogicalTotal(CounterId id, SourceSet* sources) {
  const RowTable<Volume>& volumes = sources->Volumes();
  if (id == CounterId::kFreeSpace || id == CounterId::kFreeMegabytes) {
    // Sums of available and of size, so the percentage weighs each volume by its size.
    // Volumes whose statvfs fails are left out, as if unmounted.
    double available = 0;
    double total = 0;
    std::uint64_t available_bytes = 0;
    unsigned answered = 0;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
      const auto space = sources->Space(i);
      if (!space) continue;
      ++answered;
      available += static_cast<double>(space->available_bytes);
      available_bytes += space->available_bytes;
      total += static_cast<double>(space->total_bytes);
    }
    if (answered == 0) return std::nullopt;
    if (id == CounterId::kFreeMegabytes) return static_cast<double>(available_bytes / kMebibyte);
    return perf::RawFraction(available, total);
  }
  const auto& disks = sources->Diskstats();
  const DiskstatsSnapshot* now = disks.current();
  if (now == nullptr) return std::nullopt;
  perf::InstanceTotal sum;
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    std::size_t disk_index = 0;
    const Value rate = VolumeTransfer(id, volumes[i], disks, &disk_index);
    if (!rate) continue;
    // Two volumes on one device (btrfs subvolumes) would count its transfers twice.
    bool counted = false;
    for (std::size_t j = 0; j < i && !counted; ++j) {
      std::size_t earlier_index = 0;
      counted =
          VolumeDisk(volumes[j], *now, &earlier_index) != nullptr && earlier_index == disk_index;
    }
    if (!counted) sum.Add(rate);
  }
  return sum.Sum();
}

Value PhysicalValue(CounterId id, const DiskStat& before, const DiskStat& after, double seconds) {
  const double milliseconds = seconds * 1000;
  switch (id) {
    case CounterId::kDiskTime:
      // Utilisation: the share of the interval the disk had I/O in flight (field 10).
      return perf::PercentOfInterval(Count::Between(before.io_ticks, after.io_ticks), milliseconds);
    case CounterId::kDiskIdleTime: {
      const Value busy =
          perf::PercentOfInterval(Count::Between(before.io_ticks, after.io_ticks), milliseconds);
      if (!busy) return std::nullopt;
      return 100.0 - *busy;
    }
    case CounterId::kDiskBytesPerSec:
      return SectorRate(Count::Between(before.sectors_read, after.sectors_read) +
                            Count::Between(before.sectors_written, after.sectors_written),
                        seconds);
    case CounterId::kDiskReadsPerSec:
      return perf::PerSecond(Count::Between(before.reads, after.reads), seconds);
    case CounterId::kDiskWritesPerSec:
      return perf::PerSecond(Count::Between(before.writes, after.writes), seconds);
    case CounterId::kAvgDiskQueueLength: {
      // Field 11 grows by the number of requests in flight each millisecond.
      if (!(milliseconds > 0)) return std::nullopt;
      const Count queued = Count::Between(before.time_in_queue, after.time_in_queue);
      if (!queued) return std::nullopt;
      return static_cast<double>(queued.value()) / milliseconds;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

Value LogicalDisk(const CounterBinding& binding, std::size_t* hint, SourceSet* sources) {
  const CounterId id = binding.counter->id;
  if (binding.total) return LogicalTotal(id, sources);
  const RowTable<Volume>& volumes = sources->Volumes();
  const Volume* volume = FindRow(volumes, hint, [&](const Volume& row) {
    return InstanceMatches(row.mount_point, binding.instance);
  });
  if (volume == nullptr) return std::nullopt;
  if (id == CounterId::kFreeSpace || id == CounterId::kFreeMegabytes) {
    const auto space = sources->Space(*hint);
    if (!space) return std::nullopt;
    if (id == CounterId::kFreeMegabytes)
      return static_cast<double>(space->available_bytes / kMebibyte);
    return perf::RawFraction(static_cast<double>(space->available_bytes),
                             static_cast<double>(space->total_bytes));
  }
  std::size_t disk_index = 0;
  return VolumeTransfer(id, *volume, sources->Diskstats(), &disk_index);
}

Value PhysicalDisk(const CounterBinding& binding, std::size_t* hint, SourceSet* sources) {
  const CounterId id = binding.counter->id;
  const auto& source = sources->Diskstats();
  const DiskstatsSnapshot* now = source.current();
  const DiskstatsSnapshot* before = source.previous();
  if (now == nullptr || before == nullptr) return std::nullopt;

  if (!binding.total) {
    const DiskStat* after = FindRow(now->disks, hint, [&](const DiskStat& row) {
      return InstanceMatches(row.name, binding.instance);
    });
    if (after == nullptr || !sources->IsPhysicalDisk(after->name)) return std::nullopt;
    const DiskStat* earlier = SameNameIn(before->disks, *after, *hint);
    if (earlier == nullptr) return std::nullopt;
    return PhysicalValue(id, *earlier, *after, source.seconds());
  }

  // Busy and idle percentages average over the disks; rates and queue lengths add up.
  perf::InstanceTotal total;
  for (std::size_t i = 0; i < now->disks.size(); ++i) {
    const DiskStat& after = now->disks[i];
    if (!sources->IsPhysicalDisk(after.name)) continue;
    const DiskStat* earlier = SameNameIn(before->disks, after, i);
    if (earlier == nullptr) continue;
    total.Add(PhysicalValue(id, *earlier, after, source.seconds()));
  }
  if (id == CounterId::kDiskTime || id == CounterId::kDiskIdleTime) return total.Mean();
  return total.Sum();
}

}  // namespace corvane::local::eval
