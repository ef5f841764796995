// Which lines of /proc/diskstats are physical disks: whole disks with a /sys/block/NAME/device
// link, which partitions, loop, ram, zram, device-mapper and md devices lack. The answer for a
// name never changes while the name exists, so each name is looked up once. Owned by one
// query; one thread.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::local {

class BlockDevices {
 public:
  explicit BlockDevices(std::string sys_root);

  bool IsPhysicalDisk(std::string_view name);

 private:
  std::string sys_root_;
  std::vector<std::pair<std::string, bool>> known_;  // name, physical
};

}  // namespace corvane::local
