#include "platform/linux/proc/source_set.h"

#include <cstring>

namespace corvane::local {

// Initial buffer sizes fit a small machine; a buffer doubles when its file outgrows it.
SourceSet::SourceSet(const LocalProviderOptions& options)
    : stat_(options.proc_root + "/stat", FileShape::kWhole, 16384, ParseStat),
      interrupts_(options.proc_root + "/interrupts", FileShape::kRecords, 16384, ParseInterrupts),
      loadavg_(options.proc_root + "/loadavg", FileShape::kWhole, 256, ParseLoadavg),
      uptime_(options.proc_root + "/uptime", FileShape::kWhole, 256, ParseUptime),
      meminfo_(options.proc_root + "/meminfo", FileShape::kWhole, 8192, ParseMeminfo),
      overcommit_(options.proc_root + "/sys/vm/overcommit_memory", FileShape::kWhole, 64,
                  ParseSysctl),
      vmstat_(options.proc_root + "/vmstat", FileShape::kRecords, 8192, ParseVmstat),
      swaps_(options.proc_root + "/swaps", FileShape::kShortRecords, 4096, ParseSwaps),
      diskstats_(options.proc_root + "/diskstats", FileShape::kShortRecords, 8192, ParseDiskstats),
      netdev_(options.proc_root + "/net/dev", FileShape::kShortRecords, 8192, ParseNetDev),
      processes_(options.proc_root),
      mounts_(options.proc_root + "/self/mountinfo", options.volume_space),
      block_devices_(options.sys_root),
      links_(options.sys_root) {}

void SourceSet::BeginCollection(std::int64_t now_ns) {
  ++collection_;
  now_ns_ = now_ns;
}

std::optional<std::uint64_t> SourceSet::Processes() {
  if (processes_collection_ != collection_) {
    processes_collection_ = collection_;
    processes_error_ = processes_.Count(&process_count_);
  }
  if (processes_error_ != 0) {
    failed_ = &processes_report_;
    return std::nullopt;
  }
  return process_count_;
}

std::string SourceSet::ProcessesReport::DescribeError() const {
  if (sources_.processes_error_ == 0) return {};
  return sources_.processes_.path() + ": " + std::strerror(sources_.processes_error_);
}

std::string SourceSet::DescribeErrors() const {
  std::string text;
  const auto add = [&text](const std::string& line) {
    if (line.empty()) return;
    text += line;
    text += '\n';
  };
  add(stat_.DescribeError());
  add(interrupts_.DescribeError());
  add(loadavg_.DescribeError());
  add(uptime_.DescribeError());
  add(meminfo_.DescribeError());
  add(overcommit_.DescribeError());
  add(vmstat_.DescribeError());
  add(swaps_.DescribeError());
  add(diskstats_.DescribeError());
  add(netdev_.DescribeError());
  if (processes_error_ != 0) add(processes_.path() + ": " + std::strerror(processes_error_));
  add(mounts_.DescribeError());
  return text;
}

}  // namespace corvane::local
