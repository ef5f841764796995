#include "platform/system_provider.h"

#include <cstdlib>
#include <string>

#include "platform/linux/proc/local_provider.h"
#include "platform/remote/remote_provider.h"
#include "platform/remote/remote_switch.h"
#include "platform/routing_provider.h"

namespace corvane {
namespace {

// CORVANE_SYSTEM_ROOT names a folder holding a captured "proc" and "sys" tree that the local
// counters come from instead of the running kernel's, so that end-to-end tests give the same
// output on every machine.
local::LocalProviderOptions LocalOptionsFromEnvironment() {
  local::LocalProviderOptions options;
  if (const char* root = std::getenv("CORVANE_SYSTEM_ROOT"); root != nullptr && *root != '\0') {
    options.proc_root = std::string(root) + "/proc";
    options.sys_root = std::string(root) + "/sys";
  }
  return options;
}

}  // namespace

std::unique_ptr<perf::Provider> MakeSystemProvider(SettingsOwner owner) {
  return MakeRoutingProvider(
      std::shared_ptr<perf::Provider>(local::MakeLocalProvider(LocalOptionsFromEnvironment())),
      std::make_shared<remote::RemoteSwitch>(
          std::shared_ptr<perf::Provider>(remote::MakeRemoteProvider()),
          [owner](const std::string& url) { return ServerOptionsFromSettings(url, owner); }));
}

}  // namespace corvane
