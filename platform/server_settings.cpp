#include "platform/server_settings.h"

#include <initializer_list>

#include "platform/linux/host/settings_store.h"

namespace corvane {
namespace {

// The value from the first of the hives that has the key.
std::string Setting(std::initializer_list<host::Hive> hives, const char* name) {
  for (const host::Hive hive : hives) {
    const host::SettingsStore store(hive);
    if (!store.OpenKey(kServerSettingsKey).ok()) continue;
    auto value = store.QueryValue(kServerSettingsKey, name);
    return value.ok() ? value.value : std::string();
  }
  return {};
}

}  // namespace

remote::ServerOptions ServerOptionsFromSettings(const std::string& url, SettingsOwner owner) {
  const host::Hive own =
      owner == SettingsOwner::kService ? host::Hive::kDefaultUser : host::Hive::kCurrentUser;
  remote::ServerOptions options;
  options.url = url;
  // A certificate authority is no secret, and the machine's is set by root.
  options.ca_file = Setting({own, host::Hive::kDefaultUser}, "CAFile");
  options.credentials_server = Setting({own}, "Server");
  options.user = Setting({own}, "User");
  options.password = Setting({own}, "Password");
  options.bearer_token_file = Setting({own}, "BearerTokenFile");
  return options;
}

}  // namespace corvane
