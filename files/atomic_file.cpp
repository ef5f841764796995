#include "files/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <system_error>

namespace corvane::files {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxTempStem = 200;  // bytes of the target's name kept in a temporary's
constexpr int kTempAttempts = 100;

std::atomic<bool> force_named{false};
std::atomic<unsigned> sequence{0};

std::string TempStem(const fs::path& target) {
  std::string stem = target.filename().string();
  if (stem.size() > kMaxTempStem) stem.resize(kMaxTempStem);
  return stem;
}

// The writer's process id when `name` is a temporary file of the target whose stem is given:
// "." stem "." pid "-" n ".tmp" exactly; 0 otherwise.
pid_t TemporaryOwner(std::string_view name, std::string_view stem) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < stem.size() + 2 + kSuffix.size() || name[0] != '.' ||
      name.substr(1, stem.size()) != stem || name[1 + stem.size()] != '.' ||
      !name.ends_with(kSuffix)) {
    return 0;
  }
  std::string_view middle = name.substr(stem.size() + 2);
  middle.remove_suffix(kSuffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size()) return 0;
  for (std::size_t i = 0; i < middle.size(); ++i) {
    if (i != dash && (middle[i] < '0' || middle[i] > '9')) return 0;
  }
  pid_t pid = 0;
  const auto parsed = std::from_chars(middle.data(), middle.data() + dash, pid);
  if (parsed.ec != std::errc() || pid <= 0) return 0;
  return pid;
}

bool ProcessIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Makes the new name survive a crash. Some file systems cannot sync a folder (EINVAL); the new
// file is complete and in place by then, so that is no failure.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The file systems that refuse an unnamed file say so with one of these.
bool RefusesUnnamedFiles(int system_error) {
  return system_error == EOPNOTSUPP || system_error == EISDIR || system_error == EINVAL;
}

}  // namespace

void AtomicFile::ForceNamedTemporaries(bool force) { force_named.store(force); }

int RemoveStaleTemporaries(const fs::path& target) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string stem = TempStem(target);
  const pid_t self = ::getpid();
  int removed = 0;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const pid_t owner = TemporaryOwner(name, stem);
    // Another thread of this process may be writing its own right now.
    if (owner == 0 || owner == self || !ProcessIsGone(owner)) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Fail(const fs::path& file, std::string_view step, int system_error) {
  error_context_ = file.string();
  error_context_ += ": ";
  error_context_ += step;
  error_ = error_context_ + ": " + std::generic_category().message(system_error);
  error_code_ = system_error;
  failed_ = true;
  Abandon();
  return false;
}

void AtomicFile::NewTemporaryName(fs::path* name) const {
  static const std::string process = std::to_string(::getpid());
  *name = folder_ / ("." + TempStem(target_) + "." + process + "-" +
                     std::to_string(sequence.fetch_add(1)) + ".tmp");
}

bool AtomicFile::OpenUnnamed(int* system_error) {
#ifdef O_TMPFILE
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, options_.mode);
  if (fd_ >= 0) return true;
  *system_error = errno;
#else
  *system_error = EOPNOTSUPP;
#endif
  return false;
}

bool AtomicFile::OpenNamed() {
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    fs::path candidate;
    NewTemporaryName(&candidate);
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, options_.mode);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) return Fail(target_, "create temporary file", errno);
  }
  return Fail(target_, "create temporary file", EEXIST);
}

bool AtomicFile::Open(const fs::path& target, const AtomicFileOptions& options) {
  Abandon();
  failed_ = false;
  error_.clear();
  error_context_.clear();
  error_code_ = 0;
  options_ = options;
  target_ = target;
  if (target.empty() || !target.has_filename()) return Fail(target, "open", ENOENT);
  folder_ = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat old_file {};
  const bool exists = ::lstat(target_.c_str(), &old_file) == 0;
  if (!exists && errno != ENOENT) return Fail(target_, "look up", errno);
  if (exists && !options_.replace) return Fail(target_, "create", EEXIST);

  RemoveStaleTemporaries(target_);

  int unnamed_error = 0;
  if (force_named.load() || !OpenUnnamed(&unnamed_error)) {
    if (unnamed_error != 0 && !RefusesUnnamedFiles(unnamed_error)) {
      return Fail(target_, "create temporary file", unnamed_error);
    }
    if (!OpenNamed()) return false;
  }

  if (exists && options_.keep_attributes && S_ISREG(old_file.st_mode)) {
    // Only root may give a file away; anyone else's copy stays theirs, as with any editor.
    if ((old_file.st_uid != ::geteuid() || old_file.st_gid != ::getegid()) &&
        ::fchown(fd_, old_file.st_uid, old_file.st_gid) != 0) {
      // Not ours to change: the new file is owned by the writing user.
    }
    if (::fchmod(fd_, old_file.st_mode & 07777) != 0) {
      return Fail(target_, "chmod temporary file", errno);
    }
  } else if (options_.exact_mode && ::fchmod(fd_, options_.mode & 07777) != 0) {
    return Fail(target_, "chmod temporary file", errno);
  }
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (failed_ || fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail(target_, "write temporary file", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::LinkUnnamed(const fs::path& name, int* system_error) {
  // Naming an unnamed file through its /proc entry needs no privilege; AT_EMPTY_PATH does
  // (CAP_DAC_READ_SEARCH), so it is only the way where /proc is not mounted.
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return true;
  }
  *system_error = errno;
#ifdef AT_EMPTY_PATH
  if (*system_error == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    if (::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    *system_error = errno;
  }
#endif
  return false;
}

bool AtomicFile::Commit() {
  if (failed_ || fd_ < 0) return false;
  // The data must be on disk before the name makes it the target, or a crash could leave an
  // empty file behind the old name.
  if (::fsync(fd_) != 0) return Fail(target_, "fsync temporary file", errno);

  if (temp_.empty()) {
    int system_error = 0;
    if (!options_.replace) {
      if (!LinkUnnamed(target_, &system_error)) return Fail(target_, "create", system_error);
    } else {
      // rename(2) is the only step that replaces a name in one go, so the file needs a name of
      // its own first; a process killed right between the two leaves it for the next writer.
      fs::path name;
      bool linked = false;
      for (int attempt = 0; attempt < kTempAttempts && !linked; ++attempt) {
        NewTemporaryName(&name);
        linked = LinkUnnamed(name, &system_error);
        if (!linked && system_error != EEXIST) break;
      }
      if (!linked) return Fail(target_, "name temporary file", system_error);
      temp_ = std::move(name);
    }
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail(target_, "close temporary file", errno);
  if (!temp_.empty()) {
    if (options_.replace) {
      if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(target_, "rename", errno);
    } else {
      // link(2) refuses an existing name, so a target made meanwhile is never overwritten.
      if (::link(temp_.c_str(), target_.c_str()) != 0) return Fail(target_, "create", errno);
      ::unlink(temp_.c_str());
    }
    temp_.clear();
  }
  SyncFolder(folder_);
  return true;
}

void AtomicFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes,
                         const AtomicFileOptions& options, std::string* error, int* error_code) {
  AtomicFile file;
  if (file.Open(target, options) && file.Write(bytes) && file.Commit()) return true;
  if (error != nullptr) *error = file.error();
  if (error_code != nullptr) *error_code = file.error_code();
  return false;
}

}  // namespace corvane::files
