// Parser of /proc/net/dev (proc(5); net/core/net-procfs.c dev_seq_show): two heading lines,
// then "name: " and sixteen counters, eight received then eight transmitted. Pure function
// over text; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

struct NetDevice {
  std::string name;            // kernel interface name ("eth0", "lo")
  std::uint64_t rx_bytes = 0;  // received since the interface was created
  std::uint64_t tx_bytes = 0;  // sent
};

struct NetDevSnapshot {
  RowTable<NetDevice> devices;  // in the kernel's order
};

ParseResult ParseNetDev(std::string_view text, NetDevSnapshot* out);

}  // namespace corvane::local
