#include "platform/linux/proc/vmstat_parser.h"

#include <utility>

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseVmstat(std::string_view text, VmstatSnapshot* out) {
  *out = VmstatSnapshot{};
  const std::pair<std::string_view, std::optional<std::uint64_t>*> keys[] = {
      {"pgfault", &out->pgfault},
      {"pgmajfault", &out->pgmajfault},
      {"pswpin", &out->pswpin},
      {"pswpout", &out->pswpout},
  };
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    std::string_view rest = line;
    const std::string_view key = text::NextField(&rest);
    // Every key we want starts with "p"; most of the ~180 lines do not.
    if (key.empty() || key.front() != 'p') continue;
    for (const auto& [name, field] : keys) {
      if (key != name) continue;
      std::uint64_t value = 0;
      if (!text::NextU64(&rest, &value)) return ParseResult::Fail(number, "vmstat value");
      *field = value;
      break;
    }
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
