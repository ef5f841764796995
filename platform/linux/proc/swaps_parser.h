// Parser of /proc/swaps (proc(5); mm/swapfile.c swap_show): a heading, then one line per swap
// area with its file name (octal-escaped like mount points), type, size and used KiB, and
// priority. Pure function over text; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

struct SwapArea {
  std::string name;        // file or device, unescaped ("/swapfile", "/dev/zram0")
  std::uint64_t size = 0;  // bytes
  std::uint64_t used = 0;  // bytes
};

struct SwapsSnapshot {
  RowTable<SwapArea> areas;  // in the kernel's order
};

ParseResult ParseSwaps(std::string_view text, SwapsSnapshot* out);

}  // namespace corvane::local
