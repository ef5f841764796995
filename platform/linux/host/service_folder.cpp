#include "platform/linux/host/service_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::host {
namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  explicit Descriptor(int value) : fd(value) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

}  // namespace

HostResult<bool> MakeServiceFolder(const std::string& path, uid_t owner, mode_t mode) {
  HostResult<bool> result;
  const auto slash = path.rfind('/');
  const std::string parent_path = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                                             : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") {
    result.status = HostStatus::Error(EINVAL, "mkdir " + path);
    return result;
  }
  const auto fail = [&](const std::string& what) {
    result.status = HostStatus::Error(errno, what + " " + path);
    return result;
  };

  const Descriptor parent(::open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (parent.fd < 0) return fail("open the folder holding");
  struct stat parent_status {};
  if (::fstat(parent.fd, &parent_status) != 0) return fail("stat the folder holding");

  // Made private first: nobody may use it before it has its owner.
  if (::mkdirat(parent.fd, name.c_str(), 0700) != 0) {
    if (errno != EEXIST) return fail("mkdir");
    struct stat existing {};
    if (::fstatat(parent.fd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
      return fail("stat");
    }
    if (!S_ISDIR(existing.st_mode)) {
      errno = ENOTDIR;
      return fail("mkdir");
    }
    result.value = false;
    return result;
  }
  const Descriptor folder(
      ::openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (folder.fd < 0) return fail("open");
  struct stat made {};
  if (::fstat(folder.fd, &made) != 0) return fail("stat");
  if (made.st_uid != ::geteuid()) {  // replaced between mkdirat and openat
    errno = EEXIST;
    return fail("mkdir");
  }
  if (::fchown(folder.fd, owner, parent_status.st_gid) != 0) return fail("chown");
  if (::fchmod(folder.fd, mode) != 0) return fail("chmod");
  result.value = true;
  return result;
}

}  // namespace corvane::host
