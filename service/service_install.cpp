#include "service/service_install.h"

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/host/child_process.h"
#include "platform/linux/host/service_folder.h"
#include "platform/linux/host/unit_file.h"
#include "service/command_line.h"
#include "service/log_folder.h"

namespace corvane::service {
namespace {

using host::ErrorText;
using host::HostResult;
using host::HostStatus;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

// The printed messages carry only the system's reason; the file it concerns goes to the
// error stream beside them.
void Detail(const InstallContext& context, const HostStatus& status) {
  std::fprintf(context.err, "%s: %s\n", std::string(kProgramFileName).c_str(),
               status.Message().c_str());
}

// The log folders the service may write besides its state folder: "Logs" beside the program
// (a copy outside the system's trees) and beside the profile it runs.
std::vector<std::string> LogFolders(const InstallContext& context, const std::string& program) {
  std::vector<std::string> folders;
  const std::string program_folder = FolderOf(program);
  if (!InSystemTree(program_folder)) {
    folders.push_back((program_folder == "/" ? "" : program_folder) + "/Logs");
  }
  HostResult<std::string> profile = context.default_hive->QueryValue(kServiceKey, kProfileValue);
  if (profile.ok() && !profile.value.empty() && profile.value[0] == '/') {
    const std::string profile_folder = FolderOf(profile.value);
    folders.push_back((profile_folder == "/" ? "" : profile_folder) + "/Logs");
  }
  return folders;
}

// Has the service's user made when it is missing (the unit runs as it whether or not there are
// folders to make), then makes each missing folder for it; the folders that exist afterwards.
// The unit names them without "-", and a named folder that is missing keeps the service from
// starting, so one that could not be made is left out.
std::vector<std::string> MakeLogFolders(const InstallContext& context,
                                        const std::vector<std::string>& folders) {
  std::vector<std::string> ready;
  const HostResult<host::ServiceAccount> account =
      context.service_account      ? context.service_account()
      : context.manager->systemd() ? host::EnsureServiceAccount()
                                   : host::LookUpServiceAccount();
  if (!account.ok()) {
    Detail(context, account.status);
    return ready;
  }
  for (const std::string& folder : folders) {
    // Group-readable for whoever shares the folder that holds it; set-group-id, so that the
    // logs inside keep that group.
    const HostResult<bool> made = host::MakeServiceFolder(folder, account.value.uid, 02750);
    if (!made.ok()) {
      Detail(context, made.status);
      continue;
    }
    if (made.value) {
      std::fprintf(context.out, "Created log folder %s for user %s.\n", folder.c_str(),
                   std::string(host::kServiceUser).c_str());
    }
    ready.push_back(folder);
  }
  return ready;
}

host::UnitFileOptions UnitOptions(const InstallContext& context, const std::string& program) {
  host::UnitFileOptions options;
  options.program = program;
  options.read_write_paths = MakeLogFolders(context, LogFolders(context, program));
  // The service must read the same default hive that this install writes.
  if (context.default_hive->file() != host::kDefaultUserHiveFile) {
    options.environment.emplace_back("CORVANE_DEFAULT_REGISTRY", context.default_hive->file());
  }
  return options;
}

}  // namespace

bool InstallService(const InstallContext& context) {
  const std::string name(kServiceName);
  HostResult<std::string> program = context.program_path();
  if (!program.ok()) {
    std::fprintf(context.out, "Unable to install %s - %s\n", name.c_str(),
                 ErrorText(program.status.code()).c_str());
    return false;
  }
  if (HostStatus open = context.manager->Open(); !open.ok()) {
    std::fprintf(context.out, "OpenSCManager failed:\n  %s\n", ErrorText(open.code()).c_str());
    Detail(context, open);
    return false;
  }
  HostResult<std::string> unit = host::MakeUnitFile(UnitOptions(context, program.value));
  HostStatus created = unit.ok() ? context.manager->CreateUnit(kUnitName, unit.value) : unit.status;
  if (!created.ok()) {
    std::fprintf(context.out, "CreateService failed:\n  %s\n", ErrorText(created.code()).c_str());
    Detail(context, created);
    return false;
  }
  if (HostStatus key = context.default_hive->CreateKey(kServiceKey); !key.ok()) {
    Detail(context, key);
  }
  if (HostStatus reload = context.manager->Reload(); !reload.ok()) Detail(context, reload);
  std::fprintf(context.out, "Service %s has been installed.\n", name.c_str());
  return true;
}

bool RemoveService(const InstallContext& context) {
  const std::string name(kServiceName);
  if (HostStatus open = context.manager->Open(); !open.ok()) {
    std::fprintf(context.out, "OpenSCManager failed:\n  %s\n", ErrorText(open.code()).c_str());
    Detail(context, open);
    return false;
  }
  if (HostStatus unit = context.manager->OpenUnit(kUnitName); !unit.ok()) {
    std::fprintf(context.out, "OpenService failed:\n  %s\n", ErrorText(unit.code()).c_str());
    Detail(context, unit);
    return false;
  }

  if (context.manager->systemd()) {
    HostResult<host::ChildProcess> stop = context.manager->BeginStop(kUnitName);
    if (stop.ok()) {
      std::fprintf(context.out, "Stopping service %s.", name.c_str());
      std::fflush(context.out);
      std::this_thread::sleep_for(context.stop_poll);
      // systemctl stop returns once the unit has left "deactivating".
      while (stop.value.Running()) {
        std::fputc('.', context.out);
        std::fflush(context.out);
        std::this_thread::sleep_for(context.stop_poll);
      }
      HostResult<int> stop_exit = stop.value.Wait();
      if (!stop_exit.ok()) Detail(context, stop_exit.status);
      HostResult<std::string> state = context.manager->ActiveState(kUnitName);
      const bool stopped = state.ok() && (state.value == "inactive" || state.value == "failed");
      std::fprintf(context.out,
                   stopped ? "\nService %s stopped.\n" : "\nService %s failed to stop.\n",
                   name.c_str());
    } else if (stop.status.code() != ESRCH) {
      Detail(context, stop.status);  // not running is the usual case and needs no word
    }
  }

  // An administrator may have enabled it ("WantedBy=multi-user.target" in the unit).
  if (HostStatus wants = context.manager->RemoveWantsLink(kUnitName, "multi-user.target");
      !wants.ok()) {
    Detail(context, wants);
  }
  if (HostStatus deleted = context.manager->DeleteUnit(kUnitName); !deleted.ok()) {
    std::fprintf(context.out, "DeleteService failed:\n  %s\n", ErrorText(deleted.code()).c_str());
    Detail(context, deleted);
    return false;
  }
  std::fprintf(context.out, "Service %s removed.\n", name.c_str());
  if (HostStatus reload = context.manager->Reload(); !reload.ok()) Detail(context, reload);
  return true;
}

}  // namespace corvane::service
