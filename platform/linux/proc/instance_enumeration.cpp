#include "platform/linux/proc/instance_enumeration.h"

#include "platform/linux/proc/instance_names.h"
#include "platform/linux/proc/source_set.h"

namespace corvane::local {
namespace {

perf::Status KernelInstances(SourceSet* sources, ObjectId object, std::vector<std::string>* out) {
  switch (object) {
    case ObjectId::kProcessor: {
      const StatSnapshot* stat = sources->Stat().current();
      if (stat == nullptr) return perf::kInvalidData;
      for (const CpuLine& cpu : stat->cpus) out->push_back(std::to_string(cpu.id));
      return perf::kOk;
    }
    case ObjectId::kPagingFile: {
      const SwapsSnapshot* swaps = sources->Swaps().current();
      if (swaps == nullptr) return perf::kInvalidData;
      for (const SwapArea& area : swaps->areas) out->push_back(InstanceName(area.name));
      return perf::kOk;
    }
    case ObjectId::kLogicalDisk: {
      const RowTable<Volume>& volumes = sources->Volumes();
      if (volumes.empty() && !sources->DescribeErrors().empty()) return perf::kInvalidData;
      for (const Volume& volume : volumes) out->push_back(InstanceName(volume.mount_point));
      return perf::kOk;
    }
    case ObjectId::kPhysicalDisk: {
      const DiskstatsSnapshot* disks = sources->Diskstats().current();
      if (disks == nullptr) return perf::kInvalidData;
      for (const DiskStat& disk : disks->disks) {
        if (sources->IsPhysicalDisk(disk.name)) out->push_back(InstanceName(disk.name));
      }
      return perf::kOk;
    }
    case ObjectId::kNetworkInterface: {
      const NetDevSnapshot* devices = sources->NetDev().current();
      if (devices == nullptr) return perf::kInvalidData;
      for (const NetDevice& device : devices->devices) {
        if (sources->IsInterfaceInstance(device.name)) out->push_back(InstanceName(device.name));
      }
      return perf::kOk;
    }
    case ObjectId::kMemory:
    case ObjectId::kSystem:
    case ObjectId::kObjects:
      return perf::kOk;
  }
  return perf::kOk;
}

}  // namespace

perf::Status EnumerateInstances(const LocalProviderOptions& options, const ObjectInfo& object,
                                std::vector<std::string>* instances) {
  instances->clear();
  SourceSet sources(options);
  sources.BeginCollection(0);
  const perf::Status status = KernelInstances(&sources, object.id, instances);
  if (status != perf::kOk) {
    instances->clear();
    return status;
  }
  if (object.instances == InstanceKind::kWithTotal) instances->emplace_back(kTotalInstance);
  return perf::kOk;
}

}  // namespace corvane::local
