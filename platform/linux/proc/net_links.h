// Per-interface sysfs attributes a query reads: /sys/class/net/NAME/operstate (whether the
// interface is an instance) and .../speed (its link speed). Each file stays open and is read
// at most once per collection. Owned by one query; one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/proc/proc_file.h"

namespace corvane::local {

class NetLinks {
 public:
  explicit NetLinks(std::string sys_root);

  // Whether the interface's operational state is anything but "down". An unreadable state
  // does not hide an interface that /proc/net/dev lists.
  bool IsInstance(std::string_view name, std::uint64_t collection);

  // The link speed in Mbit/s; empty when the file cannot be read (EINVAL for loopback, ifb,
  // tun and most wireless drivers) or holds -1 (SPEED_UNKNOWN) or any other value below 1.
  std::optional<std::int64_t> SpeedMbits(std::string_view name, std::uint64_t collection);

 private:
  struct Link {
    explicit Link(std::string link_name, const std::string& folder)
        : name(std::move(link_name)),
          operstate(folder + "operstate", FileShape::kWhole, 64),
          speed(folder + "speed", FileShape::kWhole, 64) {}

    std::string name;
    ProcFile operstate;
    ProcFile speed;
    std::uint64_t operstate_collection = 0;
    std::uint64_t speed_collection = 0;
    bool counts = true;
    std::optional<std::int64_t> speed_mbits;
  };

  Link& Find(std::string_view name);

  std::string sys_root_;
  std::vector<std::unique_ptr<Link>> links_;
};

}  // namespace corvane::local
