#include "platform/linux/proc/net_links.h"

#include "platform/linux/proc/sysfs_value_parser.h"

namespace corvane::local {

NetLinks::NetLinks(std::string sys_root) : sys_root_(std::move(sys_root)) {}

NetLinks::Link& NetLinks::Find(std::string_view name) {
  for (const auto& link : links_) {
    if (link->name == name) return *link;
  }
  const std::string folder = sys_root_ + "/class/net/" + std::string(name) + "/";
  links_.push_back(std::make_unique<Link>(std::string(name), folder));
  return *links_.back();
}

bool NetLinks::IsInstance(std::string_view name, std::uint64_t collection) {
  Link& link = Find(name);
  if (link.operstate_collection != collection) {
    link.operstate_collection = collection;
    std::string_view text;
    link.counts = link.operstate.Read(&text) != 0 || OperstateCounts(text);
  }
  return link.counts;
}

std::optional<std::int64_t> NetLinks::SpeedMbits(std::string_view name, std::uint64_t collection) {
  Link& link = Find(name);
  if (link.speed_collection != collection) {
    link.speed_collection = collection;
    link.speed_mbits.reset();
    std::string_view text;
    if (link.speed.Read(&text) == 0) {
      const auto speed = ParseSysfsInteger(text);
      if (speed && *speed > 0) link.speed_mbits = speed;
    }
  }
  return link.speed_mbits;
}

}  // namespace corvane::local
