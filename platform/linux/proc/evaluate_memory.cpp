// System, Objects, Memory and Paging File counters from /proc/stat, /proc/loadavg,
// /proc/uptime, the /proc directory, /proc/meminfo, /proc/sys/vm/overcommit_memory,
// /proc/vmstat and /proc/swaps.
#include "core/counter_math.h"
#include "platform/linux/proc/counter_eval.h"
#include "platform/linux/proc/instance_names.h"

namespace corvane::local::eval {
namespace {

using Events = perf::CounterDelta<std::uint64_t>;

constexpr std::int64_t kStrictOvercommit = 2;

// Strict accounting (vm.overcommit_memory = 2) enforces CommitLimit; in the other modes the
// kernel lets Committed_AS pass it, so the limit that means something is memory plus swap.
Value CommitLimit(const MeminfoSnapshot& memory, SourceSet* sources) {
  const SysctlSnapshot* overcommit = sources->Overcommit().current();
  if (overcommit == nullptr) return std::nullopt;
  if (overcommit->value == kStrictOvercommit) {
    if (!memory.commit_limit) return std::nullopt;
    return static_cast<double>(*memory.commit_limit);
  }
  if (!memory.mem_total || !memory.swap_total) return std::nullopt;
  return static_cast<double>(*memory.mem_total + *memory.swap_total);
}

// MemAvailable since Linux 3.14; before it, the usual estimate.
std::optional<std::uint64_t> AvailableBytes(const MeminfoSnapshot& memory) {
  if (memory.mem_available) return memory.mem_available;
  if (!memory.mem_free || !memory.buffers || !memory.cached) return std::nullopt;
  return *memory.mem_free + *memory.buffers + *memory.cached;
}

Value VmstatRate(CounterId id, SourceSet* sources) {
  const auto& source = sources->Vmstat();
  const VmstatSnapshot* now = source.current();
  const VmstatSnapshot* before = source.previous();
  if (now == nullptr || before == nullptr) return std::nullopt;
  if (id == CounterId::kPageFaultsPerSec)
    return perf::PerSecond(Events::Between(before->pgfault, now->pgfault), source.seconds());
  // Pages/sec: major faults (pages read from disk, mapped files included) plus pages written to
  // swap. A kernel built without swap prints no pswpout; nothing is swapped out then.
  Events swapped_out = Events::Between(0, 0);
  if (before->pswpout || now->pswpout) swapped_out = Events::Between(before->pswpout, now->pswpout);
  return perf::PerSecond(Events::Between(before->pgmajfault, now->pgmajfault) + swapped_out,
                         source.seconds());
}

}  // namespace

Value SystemWide(const CounterBinding& binding, SourceSet* sources) {
  switch (binding.counter->id) {
    case CounterId::kProcesses: {
      const auto processes = sources->Processes();
      if (!processes) return std::nullopt;
      return static_cast<double>(*processes);
    }
    case CounterId::kThreads: {
      const LoadavgSnapshot* load = sources->Loadavg().current();
      if (load == nullptr) return std::nullopt;
      return static_cast<double>(load->threads);
    }
    case CounterId::kContextSwitchesPerSec: {
      const auto& source = sources->Stat();
      const StatSnapshot* now = source.current();
      const StatSnapshot* before = source.previous();
      if (now == nullptr || before == nullptr || !now->has_context_switches ||
          !before->has_context_switches)
        return std::nullopt;
      return perf::PerSecond(Events::Between(before->context_switches, now->context_switches),
                             source.seconds());
    }
    case CounterId::kProcessorQueueLength: {
      // Windows counts ready threads waiting for a processor; procs_running also counts the
      // ones running, at most one per online processor.
      const StatSnapshot* now = sources->Stat().current();
      if (now == nullptr || !now->has_procs_running) return std::nullopt;
      const std::uint64_t online = now->cpus.size();
      return static_cast<double>(now->procs_running > online ? now->procs_running - online : 0);
    }
    case CounterId::kSystemUpTime: {
      const UptimeSnapshot* uptime = sources->Uptime().current();
      if (uptime == nullptr) return std::nullopt;
      return uptime->seconds;
    }
    default:
      return std::nullopt;
  }
}

Value Memory(const CounterBinding& binding, SourceSet* sources) {
  const CounterId id = binding.counter->id;
  if (id == CounterId::kPagesPerSec || id == CounterId::kPageFaultsPerSec)
    return VmstatRate(id, sources);
  const MeminfoSnapshot* memory = sources->Meminfo().current();
  if (memory == nullptr) return std::nullopt;
  switch (id) {
    case CounterId::kCommittedBytes:
      if (!memory->committed_as) return std::nullopt;
      return static_cast<double>(*memory->committed_as);
    case CounterId::kCommitLimit:
      return CommitLimit(*memory, sources);
    case CounterId::kCommittedBytesInUse: {
      if (!memory->committed_as) return std::nullopt;
      const Value limit = CommitLimit(*memory, sources);
      if (!limit) return std::nullopt;
      return perf::RawFraction(static_cast<double>(*memory->committed_as), *limit);
    }
    case CounterId::kAvailableBytes: {
      const auto available = AvailableBytes(*memory);
      if (!available) return std::nullopt;
      return static_cast<double>(*available);
    }
    case CounterId::kAvailableMBytes: {
      const auto available = AvailableBytes(*memory);
      if (!available) return std::nullopt;
      return static_cast<double>(*available / (1024 * 1024));
    }
    case CounterId::kCacheBytes:
      if (!memory->cached || !memory->buffers) return std::nullopt;
      return static_cast<double>(*memory->cached + *memory->buffers);
    default:
      return std::nullopt;
  }
}

Value PagingFile(const CounterBinding& binding, std::size_t* hint, SourceSet* sources,
                 SwapPeaks* peaks) {
  const SwapsSnapshot* swaps = sources->Swaps().current();
  if (swaps == nullptr) return std::nullopt;
  Value usage;
  std::string_view peak_name = kTotalInstance;
  if (binding.total) {
    double used = 0;
    double size = 0;
    for (const SwapArea& area : swaps->areas) {
      used += static_cast<double>(area.used);
      size += static_cast<double>(area.size);
    }
    // No swap area at all: nothing is in use, as on a Windows machine without a paging file.
    usage = size > 0 ? perf::RawFraction(used, size) : Value(0.0);
  } else {
    const SwapArea* area = FindRow(swaps->areas, hint, [&](const SwapArea& row) {
      return InstanceMatches(row.name, binding.instance);
    });
    if (area == nullptr) return std::nullopt;
    usage = perf::RawFraction(static_cast<double>(area->used), static_cast<double>(area->size));
    peak_name = area->name;
  }
  if (!usage || binding.counter->id == CounterId::kUsage) return usage;
  return peaks->Update(peak_name, *usage);
}

}  // namespace corvane::local::eval
