#include "platform/linux/proc/swaps_parser.h"

#include <limits>

#include "platform/linux/proc/instance_names.h"
#include "platform/linux/proc/text_fields.h"

namespace corvane::local {
namespace {

bool KibToBytes(std::string_view field, std::uint64_t* bytes) {
  std::uint64_t kib = 0;
  if (!text::ParseU64(field, &kib) || kib > std::numeric_limits<std::uint64_t>::max() / 1024)
    return false;
  *bytes = kib * 1024;
  return true;
}

}  // namespace

ParseResult ParseSwaps(std::string_view text, SwapsSnapshot* out) {
  out->areas.Clear();
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    std::string_view rest = line;
    const std::string_view name = text::NextField(&rest);
    if (name.empty()) continue;
    if (number == 1 && name == "Filename") continue;
    SwapArea& area = out->areas.Append();
    UnescapeOctal(name, &area.name);
    if (text::NextField(&rest).empty()) return ParseResult::Fail(number, "swap type");
    if (!KibToBytes(text::NextField(&rest), &area.size))
      return ParseResult::Fail(number, "swap size");
    if (!KibToBytes(text::NextField(&rest), &area.used))
      return ParseResult::Fail(number, "swap used");
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
