// -install and -remove: the service's systemd unit, with the messages the console shows.
// Main thread only.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/settings_keys.h"
#include "platform/linux/host/host_status.h"
#include "platform/linux/host/service_account.h"
#include "platform/linux/host/service_manager.h"
#include "platform/linux/host/settings_store.h"

namespace corvane::service {

// The unit file's name in systemd's unit folder.
inline constexpr std::string_view kUnitName = "corvane.service";
// The service's settings key in the default user's hive; its "Profile" value names the
// profile the service runs.
inline constexpr std::string_view kServiceKey = product::kServiceKey;
inline constexpr std::string_view kProfileValue = product::kProfileValue;
// Its "MetricsAddress" value, when present and not empty, is where the service serves its
// metrics page ("127.0.0.1:9393", "[::1]:9393").
inline constexpr std::string_view kMetricsAddressValue = "MetricsAddress";
// Its "WebConfigFile" value names the web configuration file (TLS, basic authentication) of
// that page; "--web-config FILE" on the command line comes first.
inline constexpr std::string_view kWebConfigFileValue = "WebConfigFile";

struct InstallContext {
  host::ServiceManager* manager = nullptr;      // not owned
  host::SettingsStore* default_hive = nullptr;  // not owned
  std::function<host::HostResult<std::string>()> program_path;
  // The user the service runs as. When unset: made when missing (host::EnsureServiceAccount)
  // where the manager talks to systemd, only looked up where it does not.
  std::function<host::HostResult<host::ServiceAccount>()> service_account;
  // How often -remove looks whether a stopping service has stopped.
  std::chrono::milliseconds stop_poll{1000};
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

// Makes the service's log folders that are missing (owned by the service's user, one line
// each on `out`), writes the unit (not enabled: the service starts on demand), creates the
// service's settings key and has systemd reload. A log folder that cannot be made is reported
// and left out of the unit. True when the unit was written (a settings key or a
// reload that failed is reported but does not undo the install).
bool InstallService(const InstallContext& context);

// Stops the service when it runs, printing a dot per poll while it stops, deletes the unit
// and has systemd reload. True when the unit was deleted.
bool RemoveService(const InstallContext& context);

}  // namespace corvane::service
