// Parsers of one-value files: sysctls such as /proc/sys/vm/overcommit_memory and sysfs
// attributes such as /sys/class/net/NAME/operstate and .../speed, which hold one word or
// number and a newline. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/proc/parse_result.h"

namespace corvane::local {

// A sysctl read as a source of its own (/proc/sys/vm/overcommit_memory: 0 heuristic, 1 always,
// 2 strict accounting against CommitLimit).
struct SysctlSnapshot {
  std::int64_t value = 0;
};

ParseResult ParseSysctl(std::string_view text, SysctlSnapshot* out);

// The number the file holds; empty when it holds anything else.
std::optional<std::int64_t> ParseSysfsInteger(std::string_view text);

// Whether an interface whose operstate file holds this text is an instance: every state but
// "down" (RFC 2863 states, Documentation/networking/operstates.rst; "unknown" is what
// loopback and many virtual devices report while they work).
bool OperstateCounts(std::string_view text);

}  // namespace corvane::local
