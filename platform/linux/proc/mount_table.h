// The logical disks of a query: the volumes among the mounts of /proc/self/mountinfo, re-read
// only when the kernel reports that the mount table changed, and each volume's size from
// statvfs, read at most once per collection. Owned by one query; one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/proc/local_provider.h"
#include "platform/linux/proc/mountinfo_parser.h"
#include "platform/linux/proc/proc_file.h"
#include "platform/linux/proc/row_table.h"
#include "platform/linux/proc/volume_filter.h"

namespace corvane::local {

using VolumeSpaceReader = std::function<int(const std::string& mount_point, VolumeSpace* space)>;

class MountTable {
 public:
  // space: how a volume's size is read; statvfs(3) when empty.
  MountTable(std::string mountinfo_path, VolumeSpaceReader space);

  // The volumes for collection number `collection`. Empty when the mount table cannot be read.
  const RowTable<Volume>& Volumes(std::uint64_t collection);

  // The size of volume `index` of the last Volumes() result; empty when statvfs fails.
  std::optional<VolumeSpace> Space(std::size_t index, std::uint64_t collection);

  // Empty when the last reads succeeded; else the file or mount point and the reason.
  std::string DescribeError() const;

 private:
  bool Changed();
  void Reload();

  struct SpaceSlot {
    std::uint64_t collection = 0;
    int error = 0;
    VolumeSpace space;
  };

  ProcFile file_;
  VolumeSpaceReader space_reader_;
  bool loaded_ = false;
  bool kernel_reports_changes_ = false;  // the file is procfs's, which poll(2) can watch
  std::uint64_t checked_collection_ = 0;
  int system_error_ = 0;
  ParseResult parse_;
  MountinfoSnapshot mounts_;
  RowTable<Volume> volumes_;
  std::vector<SpaceSlot> spaces_;
  int last_space_error_ = 0;
  std::size_t last_space_error_volume_ = 0;
};

}  // namespace corvane::local
