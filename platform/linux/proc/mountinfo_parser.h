// Parser of /proc/self/mountinfo (proc(5); Documentation/filesystems/proc.rst, "3.5
// /proc/<pid>/mountinfo"): "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw".
// Keeps the fields that decide which mounts are volumes. Pure function over text; any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/row_table.h"

namespace corvane::local {

struct MountEntry {
  unsigned major = 0;  // device of the file system; 0 for pseudo and anonymous devices
  unsigned minor = 0;
  std::string mount_point;  // unescaped
  std::string fstype;       // "ext4", "tmpfs", "fuse.sshfs"
  std::string source;       // "/dev/vda", "tmpfs", "server:/export"; unescaped
};

struct MountinfoSnapshot {
  RowTable<MountEntry> mounts;  // in the kernel's order: parents before children
};

ParseResult ParseMountinfo(std::string_view text, MountinfoSnapshot* out);

}  // namespace corvane::local
