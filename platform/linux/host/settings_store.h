// The settings store: one INI file per hive (format in ini_document.h), a section per key
// path, string values.
//
//   kCurrentUser  (HKEY_CURRENT_USER):  $CORVANE_USER_REGISTRY, else
//                 ${XDG_CONFIG_HOME:-$HOME/.config}/Quillfen/Corvane/registry.ini
//   kDefaultUser  (HKEY_USERS\.DEFAULT, the logon desktop's and the service's hive):
//                 $CORVANE_DEFAULT_REGISTRY, else /etc/Quillfen/Corvane/registry.ini
//
// A key exists when its section (or one below it) exists, so a key that is opened but never
// created stays missing. A hive whose file does not exist yet reads as the keys every machine
// has ("Control Panel\Desktop"); the first write puts them into the file with the new value.
// Reads never write.
//
// Secrets (secret_values.h) are kept out of the settings file: they live in the hive's
// credentials file, 0600, and are read only from a file no one but its owner may read.
// Modes, whatever the umask: a new settings file 0644 (a replaced one keeps its own), the
// credentials file 0600, folders the store makes 0755.
//
// Every operation reads the files afresh, so changes by other processes are seen at once.
// Writes are atomic: under the hive's writer lock (writer_lock.h, waited for a bounded time)
// the file is read again, a temporary file in the same folder is written and fsync'ed and
// then renamed over the old one, so readers see the old or the new file, never half of one,
// and two writers (threads or processes) never lose each other's changes.
//
// Any thread; the object holds only the files' paths and the lock's wait.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/host/host_status.h"
#include "platform/linux/host/writer_lock.h"

namespace corvane::host {

enum class Hive { kCurrentUser, kDefaultUser };

// The default user's hive where no environment variable moves it.
inline constexpr std::string_view kDefaultUserHiveFile = "/etc/Quillfen/Corvane/registry.ini";

// The file of a hive under the current environment. Empty when it cannot be known (no
// $HOME and no home folder in the user database).
std::string HiveFile(Hive hive);

class SettingsStore {
 public:
  explicit SettingsStore(Hive hive);
  explicit SettingsStore(std::string file);

  const std::string& file() const { return file_; }
  // How long a write waits for another writer of the hive (3 s unless changed).
  void set_lock_wait(const LockWait& wait) { lock_wait_ = wait; }

  // ok when the key exists; ENOENT when it does not; EINVAL for a path no key can have.
  HostStatus OpenKey(std::string_view key) const;
  // Creates the key (and so every key above it). ok when it already existed.
  HostStatus CreateKey(std::string_view key);

  // ENOENT when the key or the value is missing; EACCES for a secret in a file others may read.
  HostResult<std::string> QueryValue(std::string_view key, std::string_view name) const;
  // The key must exist (ENOENT otherwise), as a value can only be set on an opened key.
  HostStatus SetValue(std::string_view key, std::string_view name, std::string_view value);
  // ENOENT when the key or the value is missing.
  HostStatus DeleteValue(std::string_view key, std::string_view name);

 private:
  std::string file_;
  LockWait lock_wait_;
};

}  // namespace corvane::host
