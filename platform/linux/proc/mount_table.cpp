#include "platform/linux/proc/mount_table.h"

#include <poll.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace corvane::local {
namespace {

// PROC_SUPER_MAGIC of <linux/magic.h>.
constexpr long kProcSuperMagic = 0x9fa0;

int StatVolume(const std::string& mount_point, VolumeSpace* space) {
  struct statvfs info {};
  if (::statvfs(mount_point.c_str(), &info) != 0) return errno;
  const std::uint64_t fragment = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  space->total_bytes = static_cast<std::uint64_t>(info.f_blocks) * fragment;
  space->available_bytes = static_cast<std::uint64_t>(info.f_bavail) * fragment;
  return 0;
}

}  // namespace

MountTable::MountTable(std::string mountinfo_path, VolumeSpaceReader space)
    : file_(std::move(mountinfo_path), FileShape::kRecords, 8192),
      space_reader_(space ? std::move(space) : VolumeSpaceReader(StatVolume)) {}

bool MountTable::Changed() {
  if (!loaded_ || !kernel_reports_changes_) return true;
  // proc(5), /proc/pid/mounts: after a mount or unmount, poll(2) on the open file reports
  // POLLPRI and POLLERR once; until then the table we hold is current.
  pollfd watch{file_.fd(), POLLPRI, 0};
  const int ready = ::poll(&watch, 1, 0);
  if (ready < 0) return true;
  return (watch.revents & (POLLPRI | POLLERR | POLLNVAL)) != 0;
}

void MountTable::Reload() {
  std::string_view text;
  system_error_ = file_.Read(&text);
  parse_ = ParseResult::Ok();
  if (system_error_ == 0) parse_ = ParseMountinfo(text, &mounts_);
  loaded_ = system_error_ == 0 && parse_.ok();
  if (loaded_) {
    SelectVolumes(mounts_, &volumes_);
    struct statfs info {};
    kernel_reports_changes_ =
        ::fstatfs(file_.fd(), &info) == 0 && static_cast<long>(info.f_type) == kProcSuperMagic;
  } else {
    volumes_.Clear();
  }
  if (spaces_.size() < volumes_.size()) spaces_.resize(volumes_.size());
  for (SpaceSlot& slot : spaces_) slot.collection = 0;
}

const RowTable<Volume>& MountTable::Volumes(std::uint64_t collection) {
  if (checked_collection_ != collection) {
    checked_collection_ = collection;
    if (Changed()) Reload();
  }
  return volumes_;
}

std::optional<VolumeSpace> MountTable::Space(std::size_t index, std::uint64_t collection) {
  if (index >= volumes_.size()) return std::nullopt;
  SpaceSlot& slot = spaces_[index];
  if (slot.collection != collection) {
    slot.collection = collection;
    slot.error = space_reader_(volumes_[index].mount_point, &slot.space);
    if (slot.error != 0) {
      last_space_error_ = slot.error;
      last_space_error_volume_ = index;
    }
  }
  if (slot.error != 0) return std::nullopt;
  return slot.space;
}

std::string MountTable::DescribeError() const {
  if (system_error_ != 0) return file_.path() + ": " + std::strerror(system_error_);
  if (!parse_.ok()) return file_.path() + ": " + parse_.Describe();
  if (last_space_error_ != 0 && last_space_error_volume_ < volumes_.size())
    return "statvfs " + volumes_[last_space_error_volume_].mount_point + ": " +
           std::strerror(last_space_error_);
  return {};
}

}  // namespace corvane::local
