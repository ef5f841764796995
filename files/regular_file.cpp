#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace corvane::files {
namespace {

std::string Describe(const std::string& path, std::string_view step, int system_error) {
  std::string text = path;
  text += ": ";
  text += step;
  text += ": ";
  text += std::generic_category().message(system_error);
  return text;
}

}  // namespace

int OpenRegularFileAt(int folder_fd, const char* name, int flags, mode_t mode,
                      const std::string& display_path, std::string* error, int* system_error) {
  const int fd = ::openat(folder_fd, name, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
  if (fd < 0) {
    *system_error = errno;
    *error = (errno == ELOOP && (flags & O_NOFOLLOW) != 0)
                 ? display_path + ": open: is a symbolic link, which is not followed here"
                 : Describe(display_path, "open", errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    *system_error = errno;
    *error = Describe(display_path, "stat", errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    *system_error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    *error = S_ISDIR(info.st_mode) ? Describe(display_path, "open", EISDIR)
                                   : display_path + " is not a regular file";
    ::close(fd);
    return -1;
  }
  // Reads and writes of a regular file block as they should (O_NONBLOCK means nothing to
  // them on most file systems, but some network ones honour it).
  if ((flags & O_NONBLOCK) == 0) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
      *system_error = errno;
      *error = Describe(display_path, "fcntl", errno);
      ::close(fd);
      return -1;
    }
  }
  return fd;
}

int OpenRegularFile(const std::filesystem::path& path, int flags, std::string* error) {
  int system_error = 0;
  return OpenRegularFileAt(AT_FDCWD, path.c_str(), flags, 0, path.string(), error, &system_error);
}

bool ReadRegularFile(const std::filesystem::path& path, std::size_t max_bytes, std::string* bytes,
                     std::string* error) {
  bytes->clear();
  const int fd = OpenRegularFile(path, O_RDONLY, error);
  if (fd < 0) return false;
  char chunk[64 * 1024];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = Describe(path.string(), "read", errno);
      ok = false;
      break;
    }
    if (n == 0) break;
    if (bytes->size() + static_cast<std::size_t>(n) > max_bytes) {
      *error =
          path.string() + ": read: the file is larger than " + std::to_string(max_bytes) + " bytes";
      ok = false;
      break;
    }
    bytes->append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!ok) bytes->clear();
  return ok;
}

}  // namespace corvane::files
