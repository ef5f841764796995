// Parser of /proc/meminfo (proc(5)): "Key:  value kB" lines. Keeps the keys the memory
// counters use, in bytes. Pure function over text; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/proc/parse_result.h"

namespace corvane::local {

// Every field in bytes; empty when the kernel does not print the key.
struct MeminfoSnapshot {
  std::optional<std::uint64_t> mem_total;
  std::optional<std::uint64_t> mem_free;
  std::optional<std::uint64_t> mem_available;  // since Linux 3.14
  std::optional<std::uint64_t> buffers;
  std::optional<std::uint64_t> cached;
  std::optional<std::uint64_t> swap_total;
  std::optional<std::uint64_t> commit_limit;  // enforced only with vm.overcommit_memory = 2
  std::optional<std::uint64_t> committed_as;
};

ParseResult ParseMeminfo(std::string_view text, MeminfoSnapshot* out);

}  // namespace corvane::local
