// The standard counter catalogue: twelve groups of well-known counters (processor load, disk
// space and busy time, network throughput, memory, processes...) turned into engine axes with a
// fixed name, range, critical value and multiplier. Paths are built from the names the local
// machine gives the fixed name indexes, so they work whatever language those names are in.
//
// Owns the eight process-wide standard paths (guarded by a lock of their own; written when an
// engine is constructed). Every function runs on the caller's thread and makes blocking calls
// into the provider; AddStandardCounters must not run while a collector samples the engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"

namespace corvane {

class Corvane;

// The groups, one bit each. The bit order is not the order the axes appear in.
inline constexpr std::uint32_t SC_CPU = 0x001;              // one axis per processor
inline constexpr std::uint32_t SC_EACH_DISK_SPACE = 0x002;  // one axis per logical disk
inline constexpr std::uint32_t SC_NETWORK = 0x004;          // one axis per network interface
inline constexpr std::uint32_t SC_EACH_DRIVE_TIME = 0x008;  // one axis per physical disk
inline constexpr std::uint32_t SC_MEMORY = 0x010;
inline constexpr std::uint32_t SC_PROCESSES = 0x020;
inline constexpr std::uint32_t SC_REGISTRY = 0x040;
inline constexpr std::uint32_t SC_SESSIONS = 0x080;
inline constexpr std::uint32_t SC_THREADS = 0x100;
inline constexpr std::uint32_t SC_VIRTUAL_MEMORY = 0x200;
inline constexpr std::uint32_t SC_TOTAL_DISK_SPACE = 0x400;
inline constexpr std::uint32_t SC_TOTAL_DRIVE_TIME = 0x800;
// Processors, memory, processes, threads, paging file, total disk space and drive time.
inline constexpr std::uint32_t SC_DEFAULT = 3889;

// The paths of the single-instance groups, without a machine part.
struct StandardPaths {
  std::string processes = "\\Objects\\Processes";
  std::string threads = "\\Objects\\Threads";
  std::string memory = "\\Memory\\% Committed Bytes In Use";
  std::string paging_file = "\\Paging File(_Total)\\% Usage";
  std::string registry = "\\System\\% Registry Quota In Use";
  std::string sessions = "\\Server\\Server Sessions";
  std::string total_disk_space = "\\LogicalDisk(_Total)\\% Free Space";
  std::string total_drive_time = "\\PhysicalDisk(_Total)\\% Disk Time";

  bool operator==(const StandardPaths&) const = default;
};

// A copy of the standard paths as they stand now: the English texts above until the first
// engine is constructed, the local machine's names afterwards.
StandardPaths GetStandardPaths();

// Rebuilds the eight standard paths from the local machine's names. A path whose names cannot
// be looked up keeps its previous text.
void LocalizeStandardPaths(perf::Provider& provider);

// "\" + object name, "(" + instance + ")" when an instance is given, "\" + counter name, the
// names being those the local machine gives the two indexes. An index the machine cannot name
// falls back to its English name; false (and *path untouched) when there is none either.
bool BuildCounterPath(std::string* path, perf::Provider& provider, std::uint32_t object_index,
                      std::uint32_t counter_index,
                      std::optional<std::string_view> instance = std::nullopt);

// The instances of an object on the local machine, in the machine's order, without "_Total".
// False, with the list empty, when the object cannot be named or enumerated; true otherwise,
// also for an empty list.
bool EnumObjectInstances(perf::Provider& provider, std::uint32_t object_index,
                         std::vector<std::string>* instances);

// Opens a query with every path, collects it once and, when the collection succeeded, gives one
// entry per path in path order: the value, or nothing when that counter could not be added or
// read. False only when no query can be opened; a failed collection gives true and no entries.
bool ReadCountersOnce(perf::Provider& provider, const std::vector<std::string>& paths,
                      std::vector<std::optional<double>>* values);

// Removes every axis of the engine and adds the axes of the chosen groups, always in the
// catalogue's order. With use_default the mask is ignored and SC_DEFAULT taken. Axes the chart
// refuses (it holds 32) are left out silently; the later groups are still tried.
void AddStandardCounters(bool use_default, std::uint32_t mask, Corvane& engine);

}  // namespace corvane
