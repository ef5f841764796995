#include "platform/linux/proc/interrupts_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseInterrupts(std::string_view text, InterruptsSnapshot* out) {
  out->cpus.Clear();
  std::string_view line;
  if (!text::NextLine(&text, &line)) return ParseResult::Fail(1, "CPU heading missing");
  // The heading lists the online processors only: "CPU0 CPU1 CPU3" after CPU2 went offline.
  for (std::string_view heading = line, field = text::NextField(&heading); !field.empty();
       field = text::NextField(&heading)) {
    CpuInterrupts& cpu = out->cpus.Append();
    cpu.count = 0;
    if (!text::StartsWith(field, "CPU") || !text::ParseUnsigned(field.substr(3), &cpu.id))
      return ParseResult::Fail(1, "CPU heading");
  }
  if (out->cpus.empty()) return ParseResult::Fail(1, "CPU heading names no processor");

  std::size_t number = 1;
  while (text::NextLine(&text, &line)) {
    ++number;
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view label = text::Trim(line.substr(0, colon));
    // x86 prints "ERR" and "MIS" as one system-wide number, not one per processor.
    if (label == "ERR" || label == "MIS") continue;
    std::string_view rest = line.substr(colon + 1);
    // A row holds one count per heading column, then the chip and the handler names; a row
    // with fewer counts is a system-wide figure on another architecture and is left out.
    std::string_view probe = rest;
    std::size_t numbers = 0;
    for (std::size_t i = 0; i < out->cpus.size(); ++i) {
      std::uint64_t value = 0;
      if (!text::NextU64(&probe, &value)) break;
      ++numbers;
    }
    if (numbers < out->cpus.size()) continue;
    for (std::size_t i = 0; i < out->cpus.size(); ++i) {
      std::uint64_t value = 0;
      text::NextU64(&rest, &value);
      out->cpus[i].count += value;
    }
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
