#include "platform/linux/proc/volume_filter.h"

#include <algorithm>
#include <iterator>

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {
namespace {

// Memory, kernel-interface and image file systems: block-backed or not, they hold no user data
// on a disk of their own (squashfs and erofs images are loop-mounted packages and snaps).
constexpr std::string_view kPseudoTypes[] = {
    "aufs",       "autofs",     "binfmt_misc", "bpf",      "cgroup", "cgroup2", "configfs",
    "debugfs",    "devpts",     "devtmpfs",    "efivarfs", "erofs",  "fusectl", "hugetlbfs",
    "mqueue",     "nfsd",       "nsfs",        "overlay",  "proc",   "pstore",  "ramfs",
    "rpc_pipefs", "securityfs", "selinuxfs",   "squashfs", "sysfs",  "tmpfs",   "tracefs",
};

// Network file systems: statvfs on one whose server is gone blocks, so they are not volumes.
constexpr std::string_view kNetworkTypes[] = {
    "9p",     "afs",   "ceph", "cifs", "coda", "davfs", "glusterfs",
    "lustre", "ncpfs", "nfs",  "nfs4", "smb3", "smbfs",
};

// On-disk file systems that report an anonymous device (major 0) in mountinfo.
constexpr std::string_view kAnonymousDeviceDiskTypes[] = {"btrfs", "bcachefs", "zfs"};

template <std::size_t N>
bool Contains(const std::string_view (&list)[N], std::string_view value) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

bool IsUnder(std::string_view path, std::string_view folder) {
  return text::StartsWith(path, folder) &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace

bool IsVolumeFileSystem(std::string_view fstype, unsigned major) {
  if (Contains(kPseudoTypes, fstype) || Contains(kNetworkTypes, fstype)) return false;
  // FUSE helpers ("fuse.sshfs", "fuse.gvfsd-fuse", "fuse.lxcfs") serve remote or synthetic
  // trees; "fuseblk" (ntfs-3g, exfat-fuse) is a local block device and stays.
  if (text::StartsWith(fstype, "fuse.") || fstype == "fuse") return false;
  return major != 0 || Contains(kAnonymousDeviceDiskTypes, fstype);
}

bool IsSystemMountPoint(std::string_view mount_point) {
  for (std::string_view folder :
       {"/proc", "/sys", "/dev", "/run", "/var/lib/docker", "/var/lib/containers/storage"}) {
    if (IsUnder(mount_point, folder)) return true;
  }
  return false;
}

void SelectVolumes(const MountinfoSnapshot& mounts, RowTable<Volume>* out) {
  out->Clear();
  for (const MountEntry& mount : mounts.mounts) {
    if (!IsVolumeFileSystem(mount.fstype, mount.major) || IsSystemMountPoint(mount.mount_point))
      continue;
    std::string_view device_name;
    if (text::StartsWith(mount.source, "/dev/")) {
      device_name = mount.source;
      device_name.remove_prefix(device_name.rfind('/') + 1);
    }
    Volume* same_place = nullptr;
    Volume* same_device = nullptr;
    for (Volume& volume : out->rows()) {
      if (volume.mount_point == mount.mount_point) same_place = &volume;
      if (volume.major == mount.major && volume.minor == mount.minor) same_device = &volume;
    }
    if (same_place != nullptr) {
      // Mounted over an earlier mount: only the later one can be reached at that path.
      same_place->major = mount.major;
      same_place->minor = mount.minor;
      same_place->device_name.assign(device_name);
      continue;
    }
    if (same_device != nullptr) {
      // A bind mount or a second mount of the same file system: one volume, shortest path.
      if (mount.mount_point.size() < same_device->mount_point.size())
        same_device->mount_point.assign(mount.mount_point);
      continue;
    }
    Volume& volume = out->Append();
    volume.mount_point.assign(mount.mount_point);
    volume.major = mount.major;
    volume.minor = mount.minor;
    volume.device_name.assign(device_name);
  }
}

}  // namespace corvane::local
