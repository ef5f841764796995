// The lock that keeps two writers of one settings hive apart: flock(2) on a lock file that no
// other user can open, taken with a bounded wait.
//
// flock works on any descriptor, a read-only one too, so a lock on a file or folder others can
// read could be held by any local user to hang every writer. The lock file is
// ".<hive name>.lock" in the hive's folder, created 0600; a lock file that is not a regular
// file, belongs to another user or is open to others is refused, never used. Only a writer
// that may write the hive's folder can create it, so it is the user's own lock for the
// user's hive and root's for the machine-wide one.
//
// The wait tries LOCK_NB a bounded number of times with a pause between tries (3 s in all
// by default), then fails with EWOULDBLOCK naming the lock file and how long it waited.
//
// One thread per object; the lock is released when the object goes.
#pragma once

#include <chrono>
#include <string>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

struct LockWait {
  int attempts = 60;                    // tries of LOCK_NB, at least one
  std::chrono::milliseconds pause{50};  // between two tries
};

// The lock file of the hive in `hive_file`.
std::string LockFileOf(const std::string& hive_file);

class WriterLock {
 public:
  WriterLock() = default;
  ~WriterLock();
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

  // Opens (creating it 0600 if need be) and locks `lock_file`.
  HostStatus Acquire(const std::string& lock_file, const LockWait& wait);

 private:
  int fd_ = -1;
};

}  // namespace corvane::host
