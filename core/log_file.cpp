#include "core/log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "files/link_rule.h"
#include "files/regular_file.h"

namespace corvane {
namespace {

constexpr int kLockTries = 200;  // 1 ms apart
constexpr std::size_t kMaxTail = 64;

std::string Describe(const std::string& path, std::string_view step, int err) {
  std::string text = path;
  text += ": ";
  text += step;
  text += ": ";
  text += std::system_category().message(err);
  return text;
}

// Holds flock(2) on a descriptor for a scope. Another Corvane process holds it only for one
// write, so the wait is short; a foreign holder that never lets go costs a fifth of a second,
// after which the write goes ahead unlocked rather than stalling the collector.
class ScopedFileLock {
 public:
  explicit ScopedFileLock(int fd) : fd_(fd) {
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        locked_ = true;
        return;
      }
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) return;  // no locks here (ENOLCK): write unlocked
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ~ScopedFileLock() {
    if (locked_) ::flock(fd_, LOCK_UN);
  }
  ScopedFileLock(const ScopedFileLock&) = delete;
  ScopedFileLock& operator=(const ScopedFileLock&) = delete;

 private:
  int fd_;
  bool locked_ = false;
};

// pwrite(2) may take part of the text (a file size limit, a signal); go on until all of it is
// written or the system refuses.
bool WriteAll(int fd, std::string_view text, off_t at, int* err) {
  while (!text.empty()) {
    const ssize_t n = ::pwrite(fd, text.data(), text.size(), at);
    if (n < 0) {
      if (errno == EINTR) continue;
      *err = errno;
      return false;
    }
    if (n == 0) {
      *err = ENOSPC;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
    at += n;
  }
  return true;
}

// Cuts the file back to `size` bytes. Nothing when that worked, else the system's reason.
std::optional<int> CutBack(int fd, off_t size) {
  while (::ftruncate(fd, size) != 0) {
    if (errno != EINTR) return errno;
  }
  return std::nullopt;
}

// The text of a write that failed for `err` and whose undoing failed too: the step names what
// could not be undone and the text still ends in the write's own reason, as every other.
std::string DescribeUndone(const std::string& path, std::string_view step, std::string_view undo,
                           int undo_error, int err) {
  std::string what(step);
  what += ", and ";
  what += undo;
  what += " (";
  what += std::system_category().message(undo_error);
  what += ")";
  return Describe(path, what, err);
}

bool EndsWith(int fd, off_t size, std::string_view tail) {
  if (tail.size() > kMaxTail || size < static_cast<off_t>(tail.size())) return false;
  char bytes[kMaxTail];
  const off_t at = size - static_cast<off_t>(tail.size());
  std::size_t got = 0;
  while (got < tail.size()) {
    const ssize_t n = ::pread(fd, bytes + got, tail.size() - got, at + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return std::string_view(bytes, got) == tail;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

LogFile::~LogFile() { Close(); }

void LogFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

LogFile::OpenResult LogFile::Open(const std::string& path, std::string* error) {
  Close();
  path_ = path;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  // The folder is followed only through a link the kernel itself would follow, and must be the
  // user's or root's: in a folder another user made, that user could swap the log for a link
  // at any moment.
  if (!files::CheckFinalLink(folder, error)) return OpenResult::kCannotOpen;
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd < 0) {
    *error = Describe(path, "create", errno);
    return OpenResult::kCannotCreate;
  }
  struct stat folder_info {};
  if (::fstat(folder_fd, &folder_info) != 0) {
    *error = Describe(folder, "stat", errno);
    ::close(folder_fd);
    return OpenResult::kCannotOpen;
  }
  if (!files::FolderOwnerTrusted(folder_info, ::geteuid())) {
    *error = folder + ": the log folder belongs to another user (uid " +
             std::to_string(folder_info.st_uid) + "); no log is written there";
    ::close(folder_fd);
    return OpenResult::kCannotOpen;
  }

  // The log itself is never reached through a link, and only a regular file is taken: a FIFO
  // or device in its place would block or swallow the collector's writes.
  constexpr int kFlags = O_RDWR | O_NOFOLLOW;
  bool created = false;
  int err = 0;
  int fd = files::OpenRegularFileAt(folder_fd, name.c_str(), kFlags, 0, path, error, &err);
  if (fd < 0 && err == ENOENT) {
    fd = files::OpenRegularFileAt(folder_fd, name.c_str(), kFlags | O_CREAT | O_EXCL, 0666, path,
                                  error, &err);
    if (fd >= 0) {
      created = true;
    } else if (err == EEXIST) {
      // Another writer created it just now.
      fd = files::OpenRegularFileAt(folder_fd, name.c_str(), kFlags, 0, path, error, &err);
    } else {
      *error = Describe(path, "create", err);
      ::close(folder_fd);
      return OpenResult::kCannotCreate;
    }
  }
  ::close(folder_fd);
  if (fd < 0) return OpenResult::kCannotOpen;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    *error = Describe(path, "stat", errno);
    ::close(fd);
    return OpenResult::kCannotOpen;
  }
  fd_ = fd;
  device_ = static_cast<std::uint64_t>(st.st_dev);
  inode_ = static_cast<std::uint64_t>(st.st_ino);
  return created ? OpenResult::kCreated : OpenResult::kOpened;
}

std::optional<std::int64_t> LogFile::SizeIfAt(const std::string& path) const {
  if (fd_ < 0) return std::nullopt;
  struct stat named {};
  if (::lstat(path.c_str(), &named) != 0) return std::nullopt;
  if (static_cast<std::uint64_t>(named.st_dev) != device_ ||
      static_cast<std::uint64_t>(named.st_ino) != inode_) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(named.st_size);
}

bool LogFile::Write(std::string_view header, std::string_view tail, std::string_view text,
                    std::string* error) {
  if (fd_ < 0) {
    *error = path_ + ": not open";
    return false;
  }
  ScopedFileLock lock(fd_);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    *error = Describe(path_, "stat", errno);
    return false;
  }
  off_t size = st.st_size;
  int err = 0;
  if (size == 0 && !header.empty()) {
    if (!WriteAll(fd_, header, 0, &err)) {
      const std::optional<int> cut_error = CutBack(fd_, 0);
      *error = cut_error ? DescribeUndone(path_, "write", "the file could not be emptied again",
                                          *cut_error, err)
                         : Describe(path_, "write", err);
      return false;
    }
    size = static_cast<off_t>(header.size());
  }
  if (text.empty()) return true;

  const bool replace = !tail.empty() && EndsWith(fd_, size, tail);
  const off_t at = replace ? size - static_cast<off_t>(tail.size()) : size;
  if (!WriteAll(fd_, text, at, &err)) {
    // Put back the tail that the text began to overwrite, then drop whatever grew past the
    // old end, so the file reads exactly as before the attempt.
    int restore_error = 0;
    if (replace && !WriteAll(fd_, tail, at, &restore_error)) {
      *error = DescribeUndone(path_, "write", "the old end could not be written back",
                              restore_error, err);
    } else if (const std::optional<int> cut_error = CutBack(fd_, size)) {
      *error = DescribeUndone(path_, "write", "the file could not be cut back to its old end",
                              *cut_error, err);
    } else {
      *error = Describe(path_, "write", err);
    }
    return false;
  }
  const off_t end = at + static_cast<off_t>(text.size());
  if (end < size) {
    // The text is shorter than the tail it replaced: what is left of the tail goes. Where the
    // file cannot be cut, the tail is put back and the write fails like any other.
    if (const std::optional<int> cut_error = CutBack(fd_, end)) {
      int restore_error = 0;
      *error = WriteAll(fd_, tail, at, &restore_error)
                   ? Describe(path_, "truncate", *cut_error)
                   : DescribeUndone(path_, "truncate", "the old end could not be written back",
                                    restore_error, *cut_error);
      return false;
    }
  }
  return true;
}

std::optional<std::int64_t> LogFileSize(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

bool MoveLogToBackup(const std::string& path, const std::string& backup, bool force,
                     std::int64_t min_size, std::string* error) {
  error->clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    // Unreadable, so it cannot be locked; it can still be moved (a link is not a log).
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
        (!force && named.st_size < min_size)) {
      return false;
    }
    if (::rename(path.c_str(), backup.c_str()) == 0) return true;
    *error = Describe(path, "rename to " + backup, errno);
    return false;
  }
  bool moved = false;
  {
    ScopedFileLock lock(fd);
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(held, named) &&
        S_ISREG(held.st_mode) && (force || held.st_size >= min_size)) {
      if (::rename(path.c_str(), backup.c_str()) == 0) {
        moved = true;
      } else {
        *error = Describe(path, "rename to " + backup, errno);
      }
    }
  }
  ::close(fd);
  return moved;
}

}  // namespace corvane
