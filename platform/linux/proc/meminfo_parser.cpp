#include "platform/linux/proc/meminfo_parser.h"

#include <limits>
#include <utility>

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseMeminfo(std::string_view text, MeminfoSnapshot* out) {
  *out = MeminfoSnapshot{};
  const std::pair<std::string_view, std::optional<std::uint64_t>*> keys[] = {
      {"MemTotal", &out->mem_total},
      {"MemFree", &out->mem_free},
      {"MemAvailable", &out->mem_available},
      {"Buffers", &out->buffers},
      {"Cached", &out->cached},
      {"SwapTotal", &out->swap_total},
      {"CommitLimit", &out->commit_limit},
      {"Committed_AS", &out->committed_as},
  };
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, colon);
    for (const auto& [name, field] : keys) {
      if (key != name) continue;
      std::string_view rest = line.substr(colon + 1);
      std::uint64_t value = 0;
      if (!text::NextU64(&rest, &value)) return ParseResult::Fail(number, "meminfo value");
      const std::string_view unit = text::NextField(&rest);
      if (unit == "kB") {
        if (value > std::numeric_limits<std::uint64_t>::max() / 1024)
          return ParseResult::Fail(number, "meminfo value too large");
        value *= 1024;
      } else if (!unit.empty()) {
        return ParseResult::Fail(number, "meminfo unit");
      }
      *field = value;
      break;
    }
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
