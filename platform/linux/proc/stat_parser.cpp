#include "platform/linux/proc/stat_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {
namespace {

// Columns after the label: user nice system idle [iowait irq softirq [steal [guest
// [guest_nice]]]]. Kernels before 2.6 print only the first four; later columns count as 0.
bool ParseCpuTimes(std::string_view rest, CpuTimes* times) {
  std::uint64_t* const columns[] = {&times->user,   &times->nice, &times->system,  &times->idle,
                                    &times->iowait, &times->irq,  &times->softirq, &times->steal};
  std::size_t parsed = 0;
  for (std::uint64_t* column : columns) {
    const std::string_view field = text::NextField(&rest);
    if (field.empty()) break;
    if (!text::ParseU64(field, column)) return false;
    ++parsed;
  }
  if (parsed < 4) return false;
  for (std::size_t i = parsed; i < std::size(columns); ++i) *columns[i] = 0;
  return true;
}

}  // namespace

ParseResult ParseStat(std::string_view text, StatSnapshot* out) {
  out->cpus.Clear();
  out->has_interrupts = out->has_context_switches = out->has_procs_running = false;
  bool has_total = false;
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    std::string_view rest = line;
    const std::string_view label = text::NextField(&rest);
    if (label == "cpu") {
      if (!ParseCpuTimes(rest, &out->total)) return ParseResult::Fail(number, "cpu line: ticks");
      has_total = true;
    } else if (text::StartsWith(label, "cpu")) {
      CpuLine& cpu = out->cpus.Append();
      if (!text::ParseUnsigned(label.substr(3), &cpu.id))
        return ParseResult::Fail(number, "cpuN line: processor number");
      if (!ParseCpuTimes(rest, &cpu.times)) return ParseResult::Fail(number, "cpuN line: ticks");
    } else if (label == "intr") {
      // The total comes first; the per-IRQ counts after it are not needed.
      if (!text::NextU64(&rest, &out->interrupts)) return ParseResult::Fail(number, "intr total");
      out->has_interrupts = true;
    } else if (label == "ctxt") {
      if (!text::NextU64(&rest, &out->context_switches)) return ParseResult::Fail(number, "ctxt");
      out->has_context_switches = true;
    } else if (label == "procs_running") {
      if (!text::NextU64(&rest, &out->procs_running))
        return ParseResult::Fail(number, "procs_running");
      out->has_procs_running = true;
    }
  }
  if (!has_total) return ParseResult::Fail(number + 1, "cpu line missing");
  return ParseResult::Ok();
}

}  // namespace corvane::local
