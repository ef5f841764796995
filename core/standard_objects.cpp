#include "core/standard_objects.h"

#include "core/counter_path.h"

namespace corvane {
namespace {

constexpr StandardCounter kProcessorCounters[] = {
    {"% Processor Time", CounterId::kProcessorTime},
    {"% User Time", CounterId::kUserTime},
    {"% Privileged Time", CounterId::kPrivilegedTime},
    {"% Interrupt Time", CounterId::kInterruptTime},
    {"% Idle Time", CounterId::kIdleTime},
    {"Interrupts/sec", CounterId::kInterruptsPerSec},
};

constexpr StandardCounter kMemoryCounters[] = {
    {"% Committed Bytes In Use", CounterId::kCommittedBytesInUse},
    {"Committed Bytes", CounterId::kCommittedBytes},
    {"Commit Limit", CounterId::kCommitLimit},
    {"Available Bytes", CounterId::kAvailableBytes},
    {"Available MBytes", CounterId::kAvailableMBytes},
    {"Cache Bytes", CounterId::kCacheBytes},
    {"Pages/sec", CounterId::kPagesPerSec},
    {"Page Faults/sec", CounterId::kPageFaultsPerSec},
};

constexpr StandardCounter kPagingFileCounters[] = {
    {"% Usage", CounterId::kUsage},
    {"% Usage Peak", CounterId::kUsagePeak},
};

constexpr StandardCounter kLogicalDiskCounters[] = {
    {"% Free Space", CounterId::kFreeSpace},
    {"Free Megabytes", CounterId::kFreeMegabytes},
    {"Disk Read Bytes/sec", CounterId::kDiskReadBytesPerSec},
    {"Disk Write Bytes/sec", CounterId::kDiskWriteBytesPerSec},
};

constexpr StandardCounter kPhysicalDiskCounters[] = {
    {"% Disk Time", CounterId::kDiskTime},
    {"% Idle Time", CounterId::kDiskIdleTime},
    {"Disk Bytes/sec", CounterId::kDiskBytesPerSec},
    {"Disk Reads/sec", CounterId::kDiskReadsPerSec},
    {"Disk Writes/sec", CounterId::kDiskWritesPerSec},
    {"Avg. Disk Queue Length", CounterId::kAvgDiskQueueLength},
};

constexpr StandardCounter kNetworkCounters[] = {
    {"Bytes Total/sec", CounterId::kBytesTotalPerSec},
    {"Bytes Received/sec", CounterId::kBytesReceivedPerSec},
    {"Bytes Sent/sec", CounterId::kBytesSentPerSec},
    {"Current Bandwidth", CounterId::kCurrentBandwidth},
};

// "% Registry Quota In Use" has no source on Linux, and the Windows exporter's default
// collectors do not give it: it is not offered rather than made up.
constexpr StandardCounter kSystemCounters[] = {
    {"Processes", CounterId::kProcesses},
    {"Threads", CounterId::kThreads},
    {"Context Switches/sec", CounterId::kContextSwitchesPerSec},
    {"Processor Queue Length", CounterId::kProcessorQueueLength},
    {"System Up Time", CounterId::kSystemUpTime},
};

constexpr StandardCounter kObjectsCounters[] = {
    {"Processes", CounterId::kProcesses},
    {"Threads", CounterId::kThreads},
};

// "Server" (the sessions of an SMB server) has no kernel source and is left out likewise.
constexpr StandardObject kObjects[] = {
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

std::span<const StandardObject> StandardObjects() { return kObjects; }

const StandardObject* FindStandardObject(std::string_view name) {
  for (const StandardObject& object : kObjects) {
    if (NamesEqual(object.name, name)) return &object;
  }
  return nullptr;
}

const StandardCounter* FindStandardCounter(const StandardObject& object, std::string_view name) {
  for (const StandardCounter& counter : object.counters) {
    if (NamesEqual(counter.name, name)) return &counter;
  }
  return nullptr;
}

}  // namespace corvane
