// Parser of /proc/stat (proc(5); Documentation/filesystems/proc.rst, "1.7 Miscellaneous kernel
// statistics in /proc/stat"): processor times, interrupts, context switches and runnable
// tasks. Pure function over text; any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

// The columns of one "cpu" line, in USER_HZ ticks. guest and guest_nice are left out: the
// kernel already counts them inside user and nice.
struct CpuTimes {
  std::uint64_t user = 0;
  std::uint64_t nice = 0;
  std::uint64_t system = 0;
  std::uint64_t idle = 0;
  std::uint64_t iowait = 0;  // waiting for I/O while idle: idle time on Linux
  std::uint64_t irq = 0;     // 0 unless the kernel accounts IRQ time
  std::uint64_t softirq = 0;
  std::uint64_t steal = 0;  // taken by the hypervisor; counted as busy
};

struct CpuLine {
  unsigned id = 0;  // N of "cpuN"
  CpuTimes times;
};

struct StatSnapshot {
  CpuTimes total;                      // the "cpu" line: the sum over every processor
  RowTable<CpuLine> cpus;              // "cpuN" lines: the online processors, in the kernel's order
  std::uint64_t interrupts = 0;        // first number of "intr": interrupts since boot
  std::uint64_t context_switches = 0;  // "ctxt", since boot
  std::uint64_t procs_running = 0;     // "procs_running": runnable tasks, the running ones included
  bool has_interrupts = false;
  bool has_context_switches = false;
  bool has_procs_running = false;
};

// Fails when the "cpu" line is missing or any cpu line has fewer than four numbers.
ParseResult ParseStat(std::string_view text, StatSnapshot* out);

}  // namespace corvane::local
