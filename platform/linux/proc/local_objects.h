// The objects and counters the local provider offers, with their English names: the table
// that path resolution, the counter browser's enumeration and the evaluation share. Immutable
// data; any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace corvane::local {

enum class ObjectId : std::uint8_t {
  kProcessor,
  kMemory,
  kPagingFile,
  kLogicalDisk,
  kPhysicalDisk,
  kNetworkInterface,
  kSystem,
  kObjects,
};

enum class CounterId : std::uint8_t {
  // Processor
  kProcessorTime,
  kUserTime,
  kPrivilegedTime,
  kInterruptTime,
  kIdleTime,
  kInterruptsPerSec,
  // Objects and System
  kProcesses,
  kThreads,
  kContextSwitchesPerSec,
  kProcessorQueueLength,
  kSystemUpTime,
  // Memory
  kCommittedBytesInUse,
  kCommittedBytes,
  kCommitLimit,
  kAvailableBytes,
  kAvailableMBytes,
  kCacheBytes,
  kPagesPerSec,
  kPageFaultsPerSec,
  // Paging File
  kUsage,
  kUsagePeak,
  // LogicalDisk
  kFreeSpace,
  kFreeMegabytes,
  kDiskReadBytesPerSec,
  kDiskWriteBytesPerSec,
  // PhysicalDisk
  kDiskTime,
  kDiskIdleTime,
  kDiskBytesPerSec,
  kDiskReadsPerSec,
  kDiskWritesPerSec,
  kAvgDiskQueueLength,
  // Network Interface
  kBytesTotalPerSec,
  kBytesReceivedPerSec,
  kBytesSentPerSec,
  kCurrentBandwidth,
};

enum class InstanceKind : std::uint8_t {
  kNone,          // one value for the machine: Memory, System, Objects
  kWithTotal,     // the kernel's instances, then "_Total"
  kWithoutTotal,  // the kernel's instances only (Network Interface)
};

struct CounterInfo {
  std::string_view name;  // English name, as paths and the browser carry it
  CounterId id;
};

struct ObjectInfo {
  std::string_view name;
  ObjectId id;
  InstanceKind instances;
  std::span<const CounterInfo> counters;  // in the browser's order
};

inline constexpr std::string_view kTotalInstance = "_Total";

// Every object, in the browser's order.
std::span<const ObjectInfo> LocalObjects();

// By English name, ignoring letter case; null when the provider has no such object.
const ObjectInfo* FindObject(std::string_view name);
const CounterInfo* FindCounter(const ObjectInfo& object, std::string_view name);

}  // namespace corvane::local
