#include "platform/linux/host/program_path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace corvane::host {

HostResult<std::string> ProgramPath() {
  HostResult<std::string> result;
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t got = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (got < 0) {
      result.status = HostStatus::Error(errno, "readlink /proc/self/exe");
      return result;
    }
    // readlink truncates silently; a result that fills the buffer may have been cut.
    if (static_cast<std::size_t>(got) < buffer.size()) {
      result.value.assign(buffer.data(), static_cast<std::size_t>(got));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  // A program file replaced while running reads as "/path (deleted)".
  static constexpr std::string_view kDeleted = " (deleted)";
  if (result.value.size() > kDeleted.size() &&
      result.value.compare(result.value.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0 &&
      access(result.value.c_str(), X_OK) != 0) {
    result.value.resize(result.value.size() - kDeleted.size());
  }
  return result;
}

HostResult<std::string> ProgramFolder() {
  HostResult<std::string> result = ProgramPath();
  if (!result.ok()) return result;
  const auto slash = result.value.rfind('/');
  result.value.resize(slash == 0 ? 1 : slash);
  return result;
}

}  // namespace corvane::host
