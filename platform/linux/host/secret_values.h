// Which settings are secrets, where a hive keeps them, and the check that a file holding one
// is readable by its owner alone.
//
// A secret (a password) never goes into a hive's settings file, which users and the service
// read (0644): it lives in the hive's credentials file beside it, "<hive>.credentials" (for
// the user's hive ~/.config/Quillfen/Corvane/registry.ini.credentials), always 0600. A secret
// found in a file that its group or other users may read is refused, as ssh refuses such a
// key, so a password left in an old 0644 settings file stops working instead of staying
// readable to everyone; the next write of the hive moves it into the credentials file.
//
// Any thread; pure functions of their arguments.
#pragma once

#include <sys/types.h>

#include <span>
#include <string>
#include <string_view>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

struct SecretValue {
  std::string_view key;   // key path as written in the hive
  std::string_view name;  // value name
};

// Every secret value of the store, in one place. The bearer token is not among them: the
// store holds only the path of its file (BearerTokenFile), and that file is checked with
// CheckOwnerOnly when it is read.
std::span<const SecretValue> SecretValues();

// True for a value that is kept in the credentials file. Key paths and names compare without
// regard to ASCII case, leading and trailing backslashes of the key ignored.
bool IsSecretValue(std::string_view key, std::string_view name);

// The credentials file of the hive in `hive_file`.
std::string CredentialsFileOf(const std::string& hive_file);

// ok when `mode` (st_mode of `file`) lets neither group nor others read or write it; EACCES
// otherwise, with a context such as
//   Permissions 0644 for '/home/ann/.config/Quillfen/Corvane/registry.ini' are too open: a
//   file holding a secret must be readable by its owner only (chmod 600 '...')
HostStatus CheckOwnerOnly(const std::string& file, mode_t mode);

}  // namespace corvane::host
