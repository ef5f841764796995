// Parser of /proc/diskstats (Documentation/admin-guide/iostats.rst): "major minor name" then
// eleven fields, four more for discards since 4.18 and two for flushes since 5.5. Pure
// function over text; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

// Counts since the device appeared. Sectors are 512 bytes whatever the device's block size.
// On 32-bit kernels the fields are 32-bit and wrap.
struct DiskStat {
  unsigned major = 0;
  unsigned minor = 0;
  std::string name;                   // "vda", "nvme0n1", "sda1", "dm-0"
  std::uint64_t reads = 0;            // field 1: reads completed
  std::uint64_t sectors_read = 0;     // field 3
  std::uint64_t writes = 0;           // field 5: writes completed
  std::uint64_t sectors_written = 0;  // field 7
  std::uint64_t in_flight = 0;        // field 9: I/Os in progress now
  std::uint64_t io_ticks = 0;         // field 10: ms the device had I/O in progress
  std::uint64_t time_in_queue = 0;    // field 11: ms, weighted by the number of I/Os in progress
};

struct DiskstatsSnapshot {
  RowTable<DiskStat> disks;  // whole disks and partitions, in the kernel's order
};

ParseResult ParseDiskstats(std::string_view text, DiskstatsSnapshot* out);

}  // namespace corvane::local
