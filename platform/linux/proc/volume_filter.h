// Which mounts are logical disks: real block-device or on-disk file systems, outside /proc,
// /sys, /dev, /run and container stores, one per device (the shortest mount point kept).
// Network file systems are left out, so that reading a volume's size never waits on a server.
// Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/proc/mountinfo_parser.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

struct Volume {
  std::string mount_point;  // unescaped path; also the instance's kernel name
  unsigned major = 0;       // device of the file system, to find its line in /proc/diskstats
  unsigned minor = 0;
  std::string device_name;  // "sda2" for a source "/dev/sda2", else empty: the fallback for file
                            // systems on anonymous devices (btrfs) whose major is 0
};

// Whether a file system of this type, mounted from a device with this major number, holds
// data on a local disk.
bool IsVolumeFileSystem(std::string_view fstype, unsigned major);

// Whether the mount point lies where only the system's own trees and container stores live.
bool IsSystemMountPoint(std::string_view mount_point);

// The volumes among the mounts, in mount order. Reuses the rows of *out.
void SelectVolumes(const MountinfoSnapshot& mounts, RowTable<Volume>* out);

}  // namespace corvane::local
