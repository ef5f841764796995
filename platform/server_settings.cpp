#include "platform/server_settings.h"

#include "platform/linux/host/settings_store.h"

namespace corvane {
namespace {

// The value from the first hive that has the key.
std::string Setting(const char* name) {
  for (const host::Hive hive : {host::Hive::kCurrentUser, host::Hive::kDefaultUser}) {
    const host::SettingsStore store(hive);
    if (!store.OpenKey(kServerSettingsKey).ok()) continue;
    auto value = store.QueryValue(kServerSettingsKey, name);
    return value.ok() ? value.value : std::string();
  }
  return {};
}

}  // namespace

remote::ServerOptions ServerOptionsFromSettings(const std::string& url) {
  remote::ServerOptions options;
  options.url = url;
  options.ca_file = Setting("CAFile");
  options.user = Setting("User");
  options.password = Setting("Password");
  options.bearer_token_file = Setting("BearerTokenFile");
  return options;
}

}  // namespace corvane
