#include "platform/linux/host/service_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "files/atomic_file.h"

namespace corvane::host {
namespace {

// An existing unit is never overwritten, and no reader sees a half-written one.
HostStatus WriteNewFile(const std::string& path, std::string_view text) {
  files::AtomicFileOptions options;
  options.replace = false;
  options.mode = 0644;
  options.exact_mode = true;
  files::AtomicFile writer;
  if (writer.Open(path, options) && writer.Write(text) && writer.Commit()) return {};
  return HostStatus::Error(writer.error_code(), writer.error_context());
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
  return WriteNewFile(UnitPath(unit), text);
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
