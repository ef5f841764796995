// The performance system's fixed name indexes and their English names: the vocabulary every
// provider shares. Numeric path components ("\238(_Total)\6") resolve through this table.
// Immutable data; any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/counter_path.h"

namespace corvane::perf {

// Indexes the standard counter catalogue looks up.
namespace index {
inline constexpr std::uint32_t kSystem = 2;
inline constexpr std::uint32_t kMemory = 4;
inline constexpr std::uint32_t kProcessorTime = 6;
inline constexpr std::uint32_t kDiskTime = 200;
inline constexpr std::uint32_t kPhysicalDisk = 234;
inline constexpr std::uint32_t kLogicalDisk = 236;
inline constexpr std::uint32_t kProcessor = 238;
inline constexpr std::uint32_t kProcesses = 248;
inline constexpr std::uint32_t kThreads = 250;
inline constexpr std::uint32_t kObjects = 260;
inline constexpr std::uint32_t kServerSessions = 314;
inline constexpr std::uint32_t kServer = 330;
inline constexpr std::uint32_t kBytesTotalPerSec = 388;
inline constexpr std::uint32_t kFreeSpace = 408;
inline constexpr std::uint32_t kNetworkInterface = 510;
inline constexpr std::uint32_t kCurrentBandwidth = 520;
inline constexpr std::uint32_t kPagingFile = 700;
inline constexpr std::uint32_t kUsage = 702;
inline constexpr std::uint32_t kRegistryQuotaInUse = 1350;
inline constexpr std::uint32_t kCommittedBytesInUse = 1406;
}  // namespace index

// The English name of an index, or empty when the table has none.
std::string_view EnglishName(std::uint32_t index);

// Replaces an object or counter name made only of digits by the English name of that index.
// Returns false when such a number has no name (the path then names nothing).
bool ResolveNumericNames(CounterPath* path);

}  // namespace corvane::perf
