// The standard performance objects and their counters: English names as counter paths carry
// them, the instances each object has, and the ids a provider binds its sources to. Every
// provider offers a subset of this table in its order; the counter browser lists it.
// Immutable data; any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace corvane {

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

// One id a counter meaning: "Processes" of System and of Objects are the same counter, while
// "% Idle Time" of Processor and of PhysicalDisk are not.
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
  kWithTotal,     // the machine's instances, then "_Total"
  kWithoutTotal,  // the machine's instances only (Network Interface)
};

struct StandardCounter {
  std::string_view name;  // English name, "% Processor Time"
  CounterId id;
};

struct StandardObject {
  std::string_view name;  // English name, "Processor"
  ObjectId id;
  InstanceKind instances;
  std::span<const StandardCounter> counters;  // in the browser's order
};

inline constexpr std::string_view kTotalInstance = "_Total";

// Every object, in the browser's order.
std::span<const StandardObject> StandardObjects();

// By English name, ignoring letter case; null when there is no such object or counter.
const StandardObject* FindStandardObject(std::string_view name);
const StandardCounter* FindStandardCounter(const StandardObject& object, std::string_view name);

}  // namespace corvane
