#include "platform/linux/host/service_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace corvane::host {
namespace {

HostStatus WriteNewFile(const std::string& folder, const std::string& path, std::string_view text) {
  // Written under a temporary name and then linked to its own: link() fails when the unit
  // exists, so an existing unit is never overwritten and no reader sees a half-written one.
  std::string temp = folder + "/.corvane-unit.XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return HostStatus::Error(errno, "create a temporary file in " + folder);
  HostStatus status;
  std::string_view rest = text;
  while (status.ok() && !rest.empty()) {
    const ssize_t put = write(fd, rest.data(), rest.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      status = HostStatus::Error(errno, "write " + temp);
    } else {
      rest.remove_prefix(static_cast<std::size_t>(put));
    }
  }
  if (status.ok() && fchmod(fd, 0644) != 0) status = HostStatus::Error(errno, "chmod " + temp);
  if (status.ok() && fsync(fd) != 0) status = HostStatus::Error(errno, "fsync " + temp);
  if (close(fd) != 0 && status.ok()) status = HostStatus::Error(errno, "close " + temp);
  if (status.ok() && link(temp.c_str(), path.c_str()) != 0) status = HostStatus::Error(errno, path);
  unlink(temp.c_str());
  if (!status.ok()) return status;
  const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);  // best effort: the unit is in place either way
    close(folder_fd);
  }
  return {};
}

}  // namespace

ServiceManagerOptions ServiceManagerOptions::FromEnvironment() {
  ServiceManagerOptions options;
  if (const char* folder = std::getenv("CORVANE_UNIT_DIR"); folder != nullptr && *folder != '\0') {
    options.unit_folder = folder;
  }
  if (const char* systemctl = std::getenv("CORVANE_SYSTEMCTL"); systemctl != nullptr) {
    options.systemctl = systemctl;
  } else if (sd_booted() > 0) {
    options.systemctl = "systemctl";
  }
  return options;
}

ServiceManager::ServiceManager(ServiceManagerOptions options) : options_(std::move(options)) {}

std::string ServiceManager::UnitPath(std::string_view unit) const {
  return options_.unit_folder + "/" + std::string(unit);
}

HostStatus ServiceManager::Open() const {
  struct stat info {};
  if (stat(options_.unit_folder.c_str(), &info) != 0) {
    return HostStatus::Error(errno, options_.unit_folder);
  }
  if (!S_ISDIR(info.st_mode)) return HostStatus::Error(ENOTDIR, options_.unit_folder);
  if (access(options_.unit_folder.c_str(), W_OK | X_OK) != 0) {
    return HostStatus::Error(errno, options_.unit_folder);
  }
  return {};
}

HostStatus ServiceManager::OpenUnit(std::string_view unit) const {
  const std::string path = UnitPath(unit);
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return HostStatus::Error(errno, path);
  return {};
}

HostStatus ServiceManager::CreateUnit(std::string_view unit, std::string_view text) {
  return WriteNewFile(options_.unit_folder, UnitPath(unit), text);
}

HostStatus ServiceManager::DeleteUnit(std::string_view unit) {
  const std::string path = UnitPath(unit);
  if (unlink(path.c_str()) != 0) return HostStatus::Error(errno, path);
  return {};
}

HostStatus ServiceManager::RemoveWantsLink(std::string_view unit, std::string_view target) {
  const std::string link =
      options_.unit_folder + "/" + std::string(target) + ".wants/" + std::string(unit);
  struct stat info {};
  if (lstat(link.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    return HostStatus::Error(errno, link);
  }
  if (!S_ISLNK(info.st_mode)) return {};  // not made by enabling; not ours to remove
  if (unlink(link.c_str()) != 0) return HostStatus::Error(errno, link);
  return {};
}

HostStatus ServiceManager::Reload() {
  if (!systemd()) return {};
  HostResult<int> exit = RunProgram({options_.systemctl, "daemon-reload"});
  if (!exit.ok()) return exit.status;
  if (exit.value != 0) return HostStatus::Error(EIO, options_.systemctl + " daemon-reload");
  return {};
}

HostResult<std::string> ServiceManager::ActiveState(std::string_view unit) {
  HostResult<std::string> result;
  if (!systemd()) {
    result.status = HostStatus::Error(ENOSYS, "systemd does not run");
    return result;
  }
  // is-active prints the state whatever it is; its exit status only tells active from not.
  std::string output;
  HostResult<int> exit = RunProgram({options_.systemctl, "is-active", std::string(unit)}, &output);
  if (!exit.ok()) {
    result.status = exit.status;
    return result;
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  if (output.empty()) {
    result.status = HostStatus::Error(EIO, options_.systemctl + " is-active " + std::string(unit));
    return result;
  }
  result.value = output;
  return result;
}

HostResult<ChildProcess> ServiceManager::BeginStop(std::string_view unit) {
  HostResult<ChildProcess> result;
  HostResult<std::string> state = ActiveState(unit);
  if (!state.ok()) {
    result.status = state.status;
    return result;
  }
  if (state.value != "active" && state.value != "activating" && state.value != "reloading") {
    result.status = HostStatus::Error(ESRCH, std::string(unit) + " is " + state.value);
    return result;
  }
  return ChildProcess::Start({options_.systemctl, "stop", std::string(unit)}, false);
}

}  // namespace corvane::host
