// The recording's time line: local wall-clock times as seconds on a zone-free scale (days since
// 1970-01-01 times 86400 plus the time of day), so that a row's time needs no time-zone lookup
// and the texts a user types or reads are the log's own. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/recording/log_syntax.h"

namespace corvane::recording {

std::int64_t LocalSeconds(const LocalTime& time);
LocalTime FromLocalSeconds(std::int64_t seconds);
// Where a Unix time (seconds since the epoch, as a sample's timestamp) falls on this line in
// the machine's time zone; nothing for a time before the epoch or one the system cannot
// convert.
std::optional<std::int64_t> LocalSecondsAt(double unix_seconds);

// "2026-12-09 00:28:09".
std::string FormatLocalSeconds(std::int64_t seconds);
// The same form read back; nothing when it is not one.
std::optional<std::int64_t> ParseLocalSeconds(std::string_view text);

}  // namespace corvane::recording
