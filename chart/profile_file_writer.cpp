#include "chart/profile_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <system_error>

#include "chart/profile_line_reader.h"
#include "chart/utf8.h"
#include "files/link_rule.h"

namespace corvane::chart {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFlushBytes = 64 * 1024;  // buffered bytes that trigger a write
constexpr int kMaxLinkHops = 40;                // as the kernel's own limit (ELOOP)

// Longest line without its line end that the reader returns in one piece (its LF included).
constexpr std::size_t kMaxLineContent = ProfileLineReader::kMaxPieceBytes - 1;

std::string Describe(const fs::path& file, std::string_view step, int system_error) {
  std::string error = file.string();
  error += ": ";
  error += step;
  error += ": ";
  error += std::generic_category().message(system_error);
  return error;
}

// Follows symbolic links from `path` to the file they finally name, which need not exist.
// `found` tells whether it does, and `info` is then its lstat(2). The kernel's rule for links
// in sticky world-writable folders is applied to every link, as the kernel itself does not see
// these hops. False with `*error` when a link cannot be read or must not be followed.
bool ResolveLinks(const fs::path& path, fs::path* target, bool* found, struct stat* info,
                  std::string* error) {
  fs::path current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    if (::lstat(current.c_str(), info) != 0) {
      if (errno != ENOENT) {
        *error = Describe(current, "resolve link", errno);
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
    if (!files::CheckLinkMayBeFollowed(current, *info, error)) return false;
    std::error_code read_error;
    const fs::path link = fs::read_symlink(current, read_error);
    if (read_error) {
      *error = Describe(current, "resolve link", read_error.value());
      return false;
    }
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  *error = Describe(path, "resolve link", ELOOP);
  return false;
}

}  // namespace

ProfileFileWriter::~ProfileFileWriter() { Abandon(); }

bool ProfileFileWriter::Fail(const fs::path& file, std::string_view step, int system_error) {
  return FailWith(Describe(file, step, system_error));
}

bool ProfileFileWriter::FailWith(std::string error) {
  error_ = std::move(error);
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

  bool replacing = false;
  struct stat old_file {};
  std::string link_error;
  if (!ResolveLinks(path, &target_, &replacing, &old_file, &link_error)) {
    return FailWith(std::move(link_error));
  }
  if (replacing && !S_ISREG(old_file.st_mode)) {
    return Fail(target_, "replace", S_ISDIR(old_file.st_mode) ? EISDIR : EINVAL);
  }
  // The rename needs only the folder's permission; a profile its user may not write (made
  // read-only on purpose) is refused as opening it for writing would be.
  if (replacing && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
    return Fail(target_, "open for writing", errno);
  }

  buffer_.reserve(kFlushBytes);
  // 0666 lets the umask and the folder's default ACL decide, as for any new file; a replaced
  // profile keeps its owner and mode.
  files::AtomicFileOptions options;
  options.keep_attributes = true;
  if (!file_.Open(target_, options)) return FailWith(file_.error());
  open_ = true;
  return true;
}

bool ProfileFileWriter::Flush() {
  if (failed_ || !open_) return false;
  if (!file_.Write(buffer_)) return FailWith(file_.error());
  buffer_.clear();
  return true;
}

bool ProfileFileWriter::Append(std::string_view key, std::string_view separator,
                               std::string_view value) {
  if (failed_ || !open_) return false;
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
  if (failed_ || !open_) return false;
  if (!Flush()) return false;
  if (!file_.Commit()) return FailWith(file_.error());
  open_ = false;
  return true;
}

void ProfileFileWriter::Abandon() {
  file_.Abandon();
  open_ = false;
  buffer_.clear();
}

}  // namespace corvane::chart
