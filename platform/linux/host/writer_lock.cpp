#include "platform/linux/host/writer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace corvane::host {
namespace {

std::string WaitText(const LockWait& wait) {
  // The bound the writer allowed, tries and pauses together.
  const auto total = wait.pause * (wait.attempts > 1 ? wait.attempts : 1);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(total).count();
  if (ms >= 1000 && ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  return std::to_string(ms) + " ms";
}

}  // namespace

std::string LockFileOf(const std::string& hive_file) {
  const auto slash = hive_file.rfind('/');
  if (slash == std::string::npos) return "." + hive_file + ".lock";
  return hive_file.substr(0, slash + 1) + "." + hive_file.substr(slash + 1) + ".lock";
}

WriterLock::~WriterLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the flock
}

HostStatus WriterLock::Acquire(const std::string& lock_file, const LockWait& wait) {
  if (fd_ >= 0) return HostStatus::Error(EBUSY, "lock " + lock_file);
  // O_NOFOLLOW: a link planted in the folder's place of the lock is not followed.
  const int fd =
      ::open(lock_file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) return HostStatus::Error(errno, "open " + lock_file);
  fd_ = fd;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return HostStatus::Error(errno, "stat " + lock_file);
  if (!S_ISREG(info.st_mode)) {
    return HostStatus::Error(EINVAL, "the lock " + lock_file + " is not a regular file");
  }
  if (info.st_uid != ::geteuid()) {
    return HostStatus::Error(EPERM, "the lock " + lock_file + " belongs to user " +
                                        std::to_string(info.st_uid) + ", not to this writer");
  }
  // An older lock file of ours that others could open: close it to them from now on.
  if ((info.st_mode & 077) != 0 && ::fchmod(fd_, 0600) != 0) {
    return HostStatus::Error(errno, "chmod " + lock_file);
  }
  const int attempts = wait.attempts > 0 ? wait.attempts : 1;
  for (int attempt = 1;; ++attempt) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return {};
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return HostStatus::Error(errno, "lock " + lock_file);
    if (attempt >= attempts) break;
    std::this_thread::sleep_for(wait.pause);
  }
  return HostStatus::Error(EWOULDBLOCK, "lock " + lock_file + ": another process held it for " +
                                            WaitText(wait) + "; the settings were not changed");
}

}  // namespace corvane::host
