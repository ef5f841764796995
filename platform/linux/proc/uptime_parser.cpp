#include "platform/linux/proc/uptime_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseUptime(std::string_view text, UptimeSnapshot* out) {
  if (!text::ParseDouble(text::NextField(&text), &out->seconds) || out->seconds < 0)
    return ParseResult::Fail(1, "seconds since boot");
  return ParseResult::Ok();
}

}  // namespace corvane::local
