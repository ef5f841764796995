#include "platform/linux/proc/loadavg_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseLoadavg(std::string_view text, LoadavgSnapshot* out) {
  for (int i = 0; i < 3; ++i) {
    if (text::NextField(&text).empty()) return ParseResult::Fail(1, "load averages");
  }
  const std::string_view entities = text::NextField(&text);
  const auto slash = entities.find('/');
  if (slash == std::string_view::npos || !text::ParseU64(entities.substr(slash + 1), &out->threads))
    return ParseResult::Fail(1, "running/total entities");
  return ParseResult::Ok();
}

}  // namespace corvane::local
