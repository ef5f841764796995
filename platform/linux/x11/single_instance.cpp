#include "platform/linux/x11/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace corvane::x11 {

std::string SingleInstance::LockFileFor(const std::string& display) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
  std::string name;
  for (const char c : display) name += (c == '/' || c == ':') ? '_' : c;
  if (runtime == nullptr || *runtime == '\0') name += "-" + std::to_string(getuid());
  return folder + "/corvscreen-" + name + ".lock";
}

SingleInstance::Claim SingleInstance::Take(const std::string& file) {
  Claim claim;
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    claim.error = "cannot open " + file + ": " + std::strerror(errno);
    return claim;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    claim.held.reset(new SingleInstance(fd));
    return claim;
  }
  const int reason = errno;
  if (reason == EWOULDBLOCK) {
    char text[32] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    if (got > 0) claim.running_window = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 0));
  } else {
    claim.error = "cannot lock " + file + ": " + std::strerror(reason);
  }
  close(fd);
  return claim;
}

SingleInstance::~SingleInstance() { close(fd_); }

bool SingleInstance::Publish(std::uint32_t window) {
  const std::string text = std::to_string(window) + "\n";
  if (ftruncate(fd_, 0) != 0) return false;
  return pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

}  // namespace corvane::x11
