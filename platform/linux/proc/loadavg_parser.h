// Parser of /proc/loadavg (proc(5)): "0.04 0.10 0.05 1/114 4149", whose fourth field is the
// number of runnable scheduling entities over the number that exist, i.e. every thread of
// every process. Pure function over text; any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/linux/proc/parse_result.h"

namespace corvane::local {

struct LoadavgSnapshot {
  std::uint64_t threads = 0;  // denominator of the fourth field: threads that exist now
};

ParseResult ParseLoadavg(std::string_view text, LoadavgSnapshot* out);

}  // namespace corvane::local
