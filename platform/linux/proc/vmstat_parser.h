// Parser of /proc/vmstat ("name value" lines, mm/vmstat.c vmstat_text): the paging event
// counts the memory rates use. Pure function over text; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/proc/parse_result.h"

namespace corvane::local {

// Events since boot; empty when the kernel does not print the key (pswp* need CONFIG_SWAP).
struct VmstatSnapshot {
  std::optional<std::uint64_t> pgfault;     // page faults, minor and major
  std::optional<std::uint64_t> pgmajfault;  // faults that had to read from disk
  std::optional<std::uint64_t> pswpin;      // pages swapped in
  std::optional<std::uint64_t> pswpout;     // pages swapped out
};

ParseResult ParseVmstat(std::string_view text, VmstatSnapshot* out);

}  // namespace corvane::local
