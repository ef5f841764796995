// Parser of /proc/uptime (proc(5)): "340.42 627.92", seconds since boot (CLOCK_BOOTTIME, so
// time suspended counts) and the idle seconds summed over processors. Pure function; any thread.
#pragma once

#include <string_view>

#include "platform/linux/proc/parse_result.h"

namespace corvane::local {

struct UptimeSnapshot {
  double seconds = 0;  // since boot
};

ParseResult ParseUptime(std::string_view text, UptimeSnapshot* out);

}  // namespace corvane::local
