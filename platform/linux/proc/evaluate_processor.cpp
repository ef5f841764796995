// Processor counters from /proc/stat ("cpu" and "cpuN" lines, "intr") and /proc/interrupts.
#include "core/counter_math.h"
#include "platform/linux/proc/counter_eval.h"

namespace corvane::local::eval {
namespace {

using Ticks = perf::CounterDelta<std::uint64_t>;

// The sums the percentages compare. Idle and iowait are summed before the change is taken:
// on tickless kernels time moves from a processor's iowait to its idle figure, so iowait alone
// can go backwards (proc(5)) while the sum does not.
struct TickSums {
  std::uint64_t all;         // every column but guest: steal counts as busy time
  std::uint64_t idle;        // idle + iowait
  std::uint64_t user;        // user + nice
  std::uint64_t privileged;  // system + irq + softirq, as Windows counts interrupts and DPCs
  std::uint64_t irq;
};

TickSums Sums(const CpuTimes& t) {
  return {t.user + t.nice + t.system + t.idle + t.iowait + t.irq + t.softirq + t.steal,
          t.idle + t.iowait, t.user + t.nice, t.system + t.irq + t.softirq, t.irq};
}

Value Percent(CounterId id, const CpuTimes& before, const CpuTimes& after) {
  const TickSums a = Sums(before);
  const TickSums b = Sums(after);
  const Ticks all = Ticks::Between(a.all, b.all);
  switch (id) {
    case CounterId::kProcessorTime:
      return perf::InversePercentOfInterval(Ticks::Between(a.idle, b.idle), all);
    case CounterId::kIdleTime:
      return perf::PercentOfInterval(Ticks::Between(a.idle, b.idle), all);
    case CounterId::kUserTime:
      return perf::PercentOfInterval(Ticks::Between(a.user, b.user), all);
    case CounterId::kPrivilegedTime:
      return perf::PercentOfInterval(Ticks::Between(a.privileged, b.privileged), all);
    case CounterId::kInterruptTime:
      return perf::PercentOfInterval(Ticks::Between(a.irq, b.irq), all);
    default:
      return std::nullopt;
  }
}

// One processor's interrupts: the sum of its column of /proc/interrupts.
Value ProcessorInterrupts(unsigned cpu, std::size_t* hint, SourceSet* sources) {
  const auto& source = sources->Interrupts();
  const InterruptsSnapshot* now = source.current();
  const InterruptsSnapshot* before = source.previous();
  if (now == nullptr || before == nullptr) return std::nullopt;
  const auto same_cpu = [cpu](const CpuInterrupts& row) { return row.id == cpu; };
  const CpuInterrupts* after_row = FindRow(now->cpus, hint, same_cpu);
  std::size_t before_hint = *hint;
  const CpuInterrupts* before_row = FindRow(before->cpus, &before_hint, same_cpu);
  if (after_row == nullptr || before_row == nullptr) return std::nullopt;
  return perf::PerSecond(Ticks::Between(before_row->count, after_row->count), source.seconds());
}

}  // namespace

Value Processor(const CounterBinding& binding, std::size_t* hint, SourceSet* sources) {
  const CounterId id = binding.counter->id;
  if (id == CounterId::kInterruptsPerSec && !binding.total) {
    if (!binding.cpu) return std::nullopt;
    return ProcessorInterrupts(*binding.cpu, hint, sources);
  }
  const auto& source = sources->Stat();
  const StatSnapshot* now = source.current();
  const StatSnapshot* before = source.previous();
  if (now == nullptr || before == nullptr) return std::nullopt;

  if (id == CounterId::kInterruptsPerSec) {
    if (!now->has_interrupts || !before->has_interrupts) return std::nullopt;
    return perf::PerSecond(Ticks::Between(before->interrupts, now->interrupts), source.seconds());
  }
  if (binding.total) return Percent(id, before->total, now->total);

  if (!binding.cpu) return std::nullopt;
  const unsigned cpu = *binding.cpu;
  const auto same_cpu = [cpu](const CpuLine& line) { return line.id == cpu; };
  // A processor taken offline leaves /proc/stat; it reads as invalid until it returns.
  const CpuLine* after_line = FindRow(now->cpus, hint, same_cpu);
  std::size_t before_hint = *hint;
  const CpuLine* before_line = FindRow(before->cpus, &before_hint, same_cpu);
  if (after_line == nullptr || before_line == nullptr) return std::nullopt;
  return Percent(id, before_line->times, after_line->times);
}

}  // namespace corvane::local::eval
