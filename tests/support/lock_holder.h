// Another process holding flock(2) on a file: a forked child opens the file read-only (as a
// user who may only read could), locks it and keeps it until the object goes. Test thread
// only; the child runs nothing but the lock and two pipe reads.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace corvane::test_support {

class LockHolder {
 public:
  explicit LockHolder(const std::string& file) {
    int locked[2];
    int release[2];
    if (::pipe(locked) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
    child_ = ::fork();
    if (child_ < 0) throw std::runtime_error("fork");
    if (child_ == 0) {
      ::close(locked[0]);
      ::close(release[1]);
      const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
      const char answer = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
      if (::write(locked[1], &answer, 1) != 1) _exit(1);
      char ignored;
      while (::read(release[0], &ignored, 1) > 0) {
      }
      _exit(0);
    }
    ::close(locked[1]);
    ::close(release[0]);
    release_ = release[1];
    char answer = 'n';
    const bool told = ::read(locked[0], &answer, 1) == 1;
    ::close(locked[0]);
    held_ = told && answer == 'y';
  }
  ~LockHolder() { Release(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  // True once the child holds the lock.
  bool held() const { return held_; }

  // Ends the child, and so its lock.
  void Release() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    if (child_ > 0) ::waitpid(child_, nullptr, 0);
    child_ = -1;
  }

 private:
  pid_t child_ = -1;
  int release_ = -1;
  bool held_ = false;
};

}  // namespace corvane::test_support
