#include "platform/linux/proc/netdev_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseNetDev(std::string_view text, NetDevSnapshot* out) {
  out->devices.Clear();
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    // Interface names cannot hold ':' (dev_valid_name), so the first one ends the name. A
    // large received count may follow it without a blank ("eth0:123456789012").
    const auto colon = line.find(':');
    if (number <= 2 || colon == std::string_view::npos) continue;
    const std::string_view name = text::Trim(line.substr(0, colon));
    if (name.empty()) return ParseResult::Fail(number, "interface name");
    NetDevice& device = out->devices.Append();
    device.name.assign(name);
    std::string_view rest = line.substr(colon + 1);
    std::uint64_t counters[16] = {};
    for (std::uint64_t& counter : counters) {
      if (!text::NextU64(&rest, &counter)) return ParseResult::Fail(number, "interface counters");
    }
    device.rx_bytes = counters[0];
    device.tx_bytes = counters[8];
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
