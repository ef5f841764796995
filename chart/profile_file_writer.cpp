#include "chart/profile_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "chart/profile_line_reader.h"
#include "chart/utf8.h"

namespace corvane::chart {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFlushBytes = 64 * 1024;  // buffered bytes that trigger a write
constexpr int kMaxLinkHops = 40;                // as the kernel's own limit (ELOOP)
constexpr std::size_t kMaxTempStem = 200;       // bytes of the profile name kept in the temp name
constexpr int kTempAttempts = 100;

// Longest line without its line end that the reader returns in one piece (its LF included).
constexpr std::size_t kMaxLineContent = ProfileLineReader::kMaxPieceBytes - 1;

// Follows symbolic links from `path` to the file they finally name, which need not exist.
// `found` tells whether it does, and `info` is then its lstat(2).
bool ResolveLinks(const fs::path& path, fs::path* target, bool* found, struct stat* info,
                  int* system_error) {
  fs::path current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    if (::lstat(current.c_str(), info) != 0) {
      if (errno != ENOENT) {
        *system_error = errno;
        return false;
      }
      *found = false;
      *target = std::move(current);
      return true;
    }
    if (!S_ISLNK(info->st_mode)) {
      *found = true;
      *target = std::move(current);
      return true;
    }
    std::error_code error;
    const fs::path link = fs::read_symlink(current, error);
    if (error) {
      *system_error = error.value();
      return false;
    }
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  *system_error = ELOOP;
  return false;
}

bool WriteAll(int fd, const char* data, std::size_t size, int* system_error) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      *system_error = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Makes sure the rename that replaced the profile survives a crash. Some file systems cannot
// sync a folder (EINVAL); the new file is complete and in place by then, so that is no failure.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ProfileFileWriter::~ProfileFileWriter() { Abandon(); }

bool ProfileFileWriter::Fail(const fs::path& file, std::string_view step, int system_error) {
  error_ = file.string();
  error_ += ": ";
  error_ += step;
  error_ += ": ";
  error_ += std::generic_category().message(system_error);
  failed_ = true;
  Abandon();
  return false;
}

bool ProfileFileWriter::Open(const fs::path& path) {
  Abandon();
  failed_ = false;
  error_.clear();
  buffer_.clear();
  if (path.empty()) return Fail(path, "open", ENOENT);

  int system_error = 0;
  bool replacing = false;
  struct stat old_file {};
  if (!ResolveLinks(path, &target_, &replacing, &old_file, &system_error)) {
    return Fail(path, "resolve link", system_error);
  }
  if (replacing && !S_ISREG(old_file.st_mode)) {
    return Fail(target_, "replace", S_ISDIR(old_file.st_mode) ? EISDIR : EINVAL);
  }
  // The rename needs only the folder's permission; a profile its user may not write (made
  // read-only on purpose) is refused as opening it for writing would be.
  if (replacing && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
    return Fail(target_, "open for writing", errno);
  }

  // A hidden name in the same folder: the rename stays on one file system and file dialogs
  // do not offer the half-written file.
  buffer_.reserve(kFlushBytes);
  std::string stem = target_.filename().string();
  if (stem.size() > kMaxTempStem) stem.resize(kMaxTempStem);
  const fs::path folder = target_.parent_path();
  static std::atomic<unsigned> sequence{0};
  static const std::string process = std::to_string(::getpid());
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string name =
        "." + stem + "." + process + "-" + std::to_string(sequence.fetch_add(1)) + ".tmp";
    fs::path candidate = folder.empty() ? fs::path(name) : folder / name;
    // 0666 lets the umask and the folder's default ACL decide, as for any new file.
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      break;
    }
    if (errno != EEXIST) return Fail(target_, "create temporary file", errno);
  }
  if (fd_ < 0) return Fail(target_, "create temporary file", EEXIST);

  if (replacing) {
    // The profile keeps its owner and mode. Only root may give a file away; anyone else's
    // copy is theirs, as with any editor's save.
    if ((old_file.st_uid != ::geteuid() || old_file.st_gid != ::getegid()) &&
        ::fchown(fd_, old_file.st_uid, old_file.st_gid) != 0) {
      // Not ours to change: the new file stays owned by the saving user.
    }
    if (::fchmod(fd_, old_file.st_mode & 07777) != 0)
      return Fail(target_, "chmod temporary file", errno);
  }
  return true;
}

bool ProfileFileWriter::Flush() {
  if (failed_ || fd_ < 0) return false;
  int system_error = 0;
  if (!WriteAll(fd_, buffer_.data(), buffer_.size(), &system_error)) {
    return Fail(target_, "write temporary file", system_error);
  }
  buffer_.clear();
  return true;
}

bool ProfileFileWriter::Append(std::string_view key, std::string_view separator,
                               std::string_view value) {
  if (failed_ || fd_ < 0) return false;
  const std::size_t start = buffer_.size();
  buffer_.append(key).append(separator).append(value);
  // CR, LF or NUL inside a line would end it early when read back.
  for (std::size_t i = start; i < buffer_.size(); ++i) {
    char& byte = buffer_[i];
    if (static_cast<unsigned char>(byte) <= '\r' &&
        (byte == '\r' || byte == '\n' || byte == '\0')) {
      byte = ' ';
    }
  }
  if (buffer_.size() - start > kMaxLineContent) {
    std::size_t cut = start + kMaxLineContent;
    // Keep the last character whole: step back over at most three continuation bytes.
    for (int back = 0; back < 3 && cut > start && utf8::IsContinuation(buffer_[cut]); ++back) {
      --cut;
    }
    buffer_.resize(cut);
  }
  buffer_.append("\r\n");
  return buffer_.size() < kFlushBytes || Flush();
}

bool ProfileFileWriter::WriteInteger(std::string_view key, std::int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return Append(key, "=", std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

bool ProfileFileWriter::WriteText(std::string_view key, std::string_view value) {
  return Append(key, "=", value);
}

bool ProfileFileWriter::WriteReal(std::string_view key, double value) {
  // DBL_MAX has 309 integer digits; with sign, point and six decimals this always fits.
  char digits[400];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return Fail(target_, "format " + std::string(key), EOVERFLOW);
  return Append(key, "=", std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

bool ProfileFileWriter::WriteLine(std::string_view text) { return Append(text, "", ""); }

bool ProfileFileWriter::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  // The data must be on disk before the rename makes it the profile, or a crash could leave
  // an empty profile behind the old name.
  if (::fsync(fd_) != 0) return Fail(target_, "fsync temporary file", errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail(target_, "close temporary file", errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(target_, "rename", errno);
  temp_.clear();
  SyncFolder(target_.parent_path().empty() ? fs::path(".") : target_.parent_path());
  return true;
}

void ProfileFileWriter::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

}  // namespace corvane::chart
