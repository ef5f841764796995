// Parser of /proc/interrupts (Documentation/filesystems/proc.rst, "1.2 Kernel data"): the
// interrupts each online processor has handled since boot, summed over every row. Pure
// function over text; any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

struct CpuInterrupts {
  unsigned id = 0;          // N of the "CPUN" column heading
  std::uint64_t count = 0;  // interrupts handled by that processor, all sources
};

struct InterruptsSnapshot {
  RowTable<CpuInterrupts> cpus;  // one per column, in the heading's order
};

// Fails when the heading names no processor or a count does not parse.
ParseResult ParseInterrupts(std::string_view text, InterruptsSnapshot* out);

}  // namespace corvane::local
