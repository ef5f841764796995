#include "platform/linux/proc/block_devices.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace corvane::local {

BlockDevices::BlockDevices(std::string sys_root) : sys_root_(std::move(sys_root)) {}

bool BlockDevices::IsPhysicalDisk(std::string_view name) {
  for (const auto& [known, physical] : known_) {
    if (known == name) return physical;
  }
  // sysfs spells a "/" of a device name as "!" (cciss/c0d0 is /sys/block/cciss!c0d0).
  std::string path = sys_root_ + "/block/";
  for (char c : name) path.push_back(c == '/' ? '!' : c);
  path += "/device";
  struct stat info {};
  const bool physical = ::fstatat(AT_FDCWD, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
  known_.emplace_back(std::string(name), physical);
  return physical;
}

}  // namespace corvane::local
