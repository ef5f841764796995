#include "platform/linux/proc/sysfs_value_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

std::optional<std::int64_t> ParseSysfsInteger(std::string_view text) {
  std::int64_t value = 0;
  if (!text::ParseI64(text::Trim(text), &value)) return std::nullopt;
  return value;
}

ParseResult ParseSysctl(std::string_view text, SysctlSnapshot* out) {
  const auto value = ParseSysfsInteger(text);
  if (!value) return ParseResult::Fail(1, "sysctl value");
  out->value = *value;
  return ParseResult::Ok();
}

bool OperstateCounts(std::string_view text) { return text::Trim(text) != "down"; }

}  // namespace corvane::local
