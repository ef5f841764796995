#include "platform/linux/proc/local_objects.h"

#include "core/counter_path.h"

namespace corvane::local {
namespace {

constexpr CounterInfo kProcessorCounters[] = {
    {"% Processor Time", CounterId::kProcessorTime},
    {"% User Time", CounterId::kUserTime},
    {"% Privileged Time", CounterId::kPrivilegedTime},
    {"% Interrupt Time", CounterId::kInterruptTime},
    {"% Idle Time", CounterId::kIdleTime},
    {"Interrupts/sec", CounterId::kInterruptsPerSec},
};

constexpr CounterInfo kMemoryCounters[] = {
    {"% Committed Bytes In Use", CounterId::kCommittedBytesInUse},
    {"Committed Bytes", CounterId::kCommittedBytes},
    {"Commit Limit", CounterId::kCommitLimit},
    {"Available Bytes", CounterId::kAvailableBytes},
    {"Available MBytes", CounterId::kAvailableMBytes},
    {"Cache Bytes", CounterId::kCacheBytes},
    {"Pages/sec", CounterId::kPagesPerSec},
    {"Page Faults/sec", CounterId::kPageFaultsPerSec},
};

constexpr CounterInfo kPagingFileCounters[] = {
    {"% Usage", CounterId::kUsage},
    {"% Usage Peak", CounterId::kUsagePeak},
};

constexpr CounterInfo kLogicalDiskCounters[] = {
    {"% Free Space", CounterId::kFreeSpace},
    {"Free Megabytes", CounterId::kFreeMegabytes},
    {"Disk Read Bytes/sec", CounterId::kDiskReadBytesPerSec},
    {"Disk Write Bytes/sec", CounterId::kDiskWriteBytesPerSec},
};

constexpr CounterInfo kPhysicalDiskCounters[] = {
    {"% Disk Time", CounterId::kDiskTime},
    {"% Idle Time", CounterId::kDiskIdleTime},
    {"Disk Bytes/sec", CounterId::kDiskBytesPerSec},
    {"Disk Reads/sec", CounterId::kDiskReadsPerSec},
    {"Disk Writes/sec", CounterId::kDiskWritesPerSec},
    {"Avg. Disk Queue Length", CounterId::kAvgDiskQueueLength},
};

constexpr CounterInfo kNetworkCounters[] = {
    {"Bytes Total/sec", CounterId::kBytesTotalPerSec},
    {"Bytes Received/sec", CounterId::kBytesReceivedPerSec},
    {"Bytes Sent/sec", CounterId::kBytesSentPerSec},
    {"Current Bandwidth", CounterId::kCurrentBandwidth},
};

// "% Registry Quota In Use" has no Linux source and is deliberately absent.
constexpr CounterInfo kSystemCounters[] = {
    {"Processes", CounterId::kProcesses},
    {"Threads", CounterId::kThreads},
    {"Context Switches/sec", CounterId::kContextSwitchesPerSec},
    {"Processor Queue Length", CounterId::kProcessorQueueLength},
    {"System Up Time", CounterId::kSystemUpTime},
};

constexpr CounterInfo kObjectsCounters[] = {
    {"Processes", CounterId::kProcesses},
    {"Threads", CounterId::kThreads},
};

// "Server" (sessions of the SMB server) has no kernel source and is deliberately absent.
constexpr ObjectInfo kObjects[] = {
    {"Processor", ObjectId::kProcessor, InstanceKind::kWithTotal, kProcessorCounters},
    {"Memory", ObjectId::kMemory, InstanceKind::kNone, kMemoryCounters},
    {"Paging File", ObjectId::kPagingFile, InstanceKind::kWithTotal, kPagingFileCounters},
    {"LogicalDisk", ObjectId::kLogicalDisk, InstanceKind::kWithTotal, kLogicalDiskCounters},
    {"PhysicalDisk", ObjectId::kPhysicalDisk, InstanceKind::kWithTotal, kPhysicalDiskCounters},
    {"Network Interface", ObjectId::kNetworkInterface, InstanceKind::kWithoutTotal,
     kNetworkCounters},
    {"System", ObjectId::kSystem, InstanceKind::kNone, kSystemCounters},
    {"Objects", ObjectId::kObjects, InstanceKind::kNone, kObjectsCounters},
};

}  // namespace

std::span<const ObjectInfo> LocalObjects() { return kObjects; }

const ObjectInfo* FindObject(std::string_view name) {
  for (const ObjectInfo& object : kObjects) {
    if (NamesEqual(object.name, name)) return &object;
  }
  return nullptr;
}

const CounterInfo* FindCounter(const ObjectInfo& object, std::string_view name) {
  for (const CounterInfo& counter : object.counters) {
    if (NamesEqual(counter.name, name)) return &counter;
  }
  return nullptr;
}

}  // namespace corvane::local
