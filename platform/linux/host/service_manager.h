// The service's systemd unit: the unit file in systemd's unit folder, and systemctl for
// reloading, stopping and querying, run only when systemd runs the machine.
//
//   unit folder  $CORVANE_UNIT_DIR, else /etc/systemd/system
//   systemctl    $CORVANE_SYSTEMCTL when set (empty: do not talk to systemd, as when
//                installing into an image); else "systemctl" when /run/systemd/system
//                exists (sd_booted(3)), else none
//
// One thread at a time.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/linux/host/child_process.h"
#include "platform/linux/host/host_status.h"

namespace corvane::host {

struct ServiceManagerOptions {
  std::string unit_folder = "/etc/systemd/system";
  std::string systemctl;  // empty: systemd is not consulted

  static ServiceManagerOptions FromEnvironment();
};

class ServiceManager {
 public:
  explicit ServiceManager(ServiceManagerOptions options);

  bool systemd() const { return !options_.systemctl.empty(); }
  std::string UnitPath(std::string_view unit) const;

  // Opening the manager: the unit folder must be a folder this process may change.
  HostStatus Open() const;
  // Opening one service: its unit file must exist.
  HostStatus OpenUnit(std::string_view unit) const;
  // Writes a new unit file atomically; EEXIST when one is there already.
  HostStatus CreateUnit(std::string_view unit, std::string_view text);
  HostStatus DeleteUnit(std::string_view unit);
  // Removes the link that enabling the unit made in "<target>.wants", so that deleting the
  // unit leaves no dangling link behind; ok when there is none.
  HostStatus RemoveWantsLink(std::string_view unit, std::string_view target);

  // systemctl daemon-reload; nothing to do without systemd.
  HostStatus Reload();
  // ActiveState of the unit ("active", "deactivating", "inactive", "failed" ...), as
  // systemctl is-active prints it; ENOSYS without systemd.
  HostResult<std::string> ActiveState(std::string_view unit);
  // The stop control: starts "systemctl stop" for a unit that is active or activating and
  // returns the running systemctl, whose end means the stop has finished. ESRCH when the unit
  // does not run; ENOSYS without systemd.
  HostResult<ChildProcess> BeginStop(std::string_view unit);

 private:
  ServiceManagerOptions options_;
};

}  // namespace corvane::host
