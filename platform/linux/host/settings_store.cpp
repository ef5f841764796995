#include "platform/linux/host/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "files/atomic_file.h"
#include "platform/linux/host/ini_document.h"
#include "platform/linux/host/secret_values.h"

namespace corvane::host {
namespace {

// A hive file is small; anything bigger is not ours and is refused rather than read whole.
constexpr off_t kMaxHiveBytes = 16 * 1024 * 1024;

// The keys every machine has before anything is written.
constexpr std::string_view kSeed = "[Control Panel\\Desktop]\n";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

std::string EnvOr(const char* name, std::string fallback) {
  const char* value = std::getenv(name);
  if (value != nullptr && *value != '\0') return value;
  return fallback;
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return file.substr(0, slash);
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Makes the missing folders of `folder`, each 0755 whatever the umask: users and the service
// read the settings below them.
HostStatus MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".") return {};
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return {};
    return HostStatus::Error(ENOTDIR, "mkdir " + folder);
  }
  if (HostStatus parent = MakeFolders(FolderOf(folder)); !parent.ok()) return parent;
  if (::mkdir(folder.c_str(), 0755) != 0) {
    if (errno == EEXIST) return {};  // made by another writer meanwhile, with its own mode
    return HostStatus::Error(errno, "mkdir " + folder);
  }
  Fd made(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (made.get() < 0) return HostStatus::Error(errno, "open " + folder);
  if (::fchmod(made.get(), 0755) != 0) return HostStatus::Error(errno, "chmod " + folder);
  return {};
}

// A hive's settings or credentials file as read: its text parsed, and the permission bits of
// the file (0 when there is none).
struct ReadFile {
  IniDocument document;
  mode_t mode = 0;
};

// Reads `file`; a missing file reads as `missing`.
HostResult<ReadFile> ReadStoreFile(const std::string& file, std::string_view missing) {
  HostResult<ReadFile> result;
  if (file.empty()) {
    result.status = HostStatus::Error(ENOENT, "no home folder for the user's settings");
    return result;
  }
  // O_NONBLOCK: a FIFO planted in the file's place must not hang the reader.
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    if (errno == ENOENT) {
      result.value.document = IniDocument::Parse(missing);
    } else {
      result.status = HostStatus::Error(errno, "open " + file);
    }
    return result;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    result.status = HostStatus::Error(errno, "stat " + file);
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.status = HostStatus::Error(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "read " + file);
    return result;
  }
  if (info.st_size > kMaxHiveBytes) {
    result.status = HostStatus::Error(EFBIG, "read " + file);
    return result;
  }
  result.value.mode = info.st_mode & 07777;
  std::string text;
  char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      result.status = HostStatus::Error(errno, "read " + file);
      return result;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > static_cast<std::size_t>(kMaxHiveBytes)) {
      result.status = HostStatus::Error(EFBIG, "read " + file);
      return result;
    }
  }
  result.value.document = IniDocument::Parse(text);
  return result;
}

// Reads the hive; a missing file reads as the seeded keys.
HostResult<ReadFile> ReadHive(const std::string& file) { return ReadStoreFile(file, kSeed); }

// Reads the credentials file for a secret: one that others may read is refused.
HostResult<ReadFile> ReadCredentials(const std::string& file) {
  HostResult<ReadFile> read = ReadStoreFile(file, "");
  if (read.ok()) read.status = CheckOwnerOnly(file, read.value.mode);
  return read;
}

// Replaces `file` by `text` so that a crash leaves the old file or the new one, never a mix.
// A new settings file is 0644 whatever the umask (the service and users read the default
// user's settings) and a replaced one keeps its mode; a credentials file is always 0600.
HostStatus ReplaceFile(const std::string& file, std::string_view text, bool secret) {
  files::AtomicFileOptions options;
  options.mode = secret ? 0600 : 0644;
  options.exact_mode = true;
  options.keep_attributes = !secret;
  files::AtomicFile writer;
  if (writer.Open(file, options) && writer.Write(text) && writer.Commit()) return {};
  return HostStatus::Error(writer.error_code(), writer.error_context());
}

// Moves every secret value the settings file holds into the credentials; one already there
// is newer, since a secret is only ever written to the credentials.
void MoveSecrets(IniDocument* hive, IniDocument* credentials) {
  for (const SecretValue& secret : SecretValues()) {
    std::optional<std::string> value = hive->Value(secret.key, secret.name);
    if (!value) continue;
    if (!credentials->Value(secret.key, secret.name)) {
      credentials->SetValue(secret.key, secret.name, *value);
    }
    hive->DeleteValue(secret.key, secret.name);
  }
}

using Change = std::function<HostStatus(IniDocument* hive, IniDocument* credentials)>;

// Reads the hive and its credentials under the hive's writer lock, lets `change` edit them
// and writes back what the change altered, the credentials first: a crash between the two
// leaves a secret in both, and the credentials' copy wins.
HostStatus Modify(const std::string& file, const LockWait& wait, const Change& change) {
  if (file.empty()) return HostStatus::Error(ENOENT, "no home folder for the user's settings");
  if (HostStatus made = MakeFolders(FolderOf(file)); !made.ok()) return made;

  // The lock is a file of its own: the hive is replaced by every write, and a lock on the old
  // file would not hold back a writer that opens the new one.
  WriterLock lock;
  if (HostStatus locked = lock.Acquire(LockFileOf(file), wait); !locked.ok()) return locked;

  HostResult<ReadFile> hive = ReadHive(file);
  if (!hive.ok()) return hive.status;
  const std::string credentials_file = CredentialsFileOf(file);
  // Written by this writer alone, so read whatever its mode, and closed to others below.
  HostResult<ReadFile> credentials = ReadStoreFile(credentials_file, "");
  if (!credentials.ok()) return credentials.status;

  const std::string hive_before = hive.value.document.Serialize();
  const std::string credentials_before = credentials.value.document.Serialize();
  if (HostStatus changed = change(&hive.value.document, &credentials.value.document);
      !changed.ok()) {
    return changed;
  }
  MoveSecrets(&hive.value.document, &credentials.value.document);
  const std::string hive_after = hive.value.document.Serialize();
  const std::string credentials_after = credentials.value.document.Serialize();

  const bool credentials_open = (credentials.value.mode & 077) != 0;
  if (credentials_after != credentials_before || credentials_open) {
    if (HostStatus written = ReplaceFile(credentials_file, credentials_after, true);
        !written.ok()) {
      return written;
    }
  }
  if (hive_after == hive_before && hive.value.mode != 0) return {};
  return ReplaceFile(file, hive_after, false);  // the lock goes with `lock`
}

HostResult<std::string> Normalized(std::string_view key, const std::string& file) {
  HostResult<std::string> result;
  std::optional<std::string> normal = NormalizeKeyPath(key);
  if (!normal) {
    result.status = HostStatus::Error(EINVAL, "key \"" + std::string(key) + "\" in " + file);
  } else {
    result.value = std::move(*normal);
  }
  return result;
}

HostStatus MissingKey(const std::string& key, const std::string& file) {
  return HostStatus::Error(ENOENT, "key [" + key + "] in " + file);
}

HostStatus MissingValue(const std::string& key, std::string_view name, const std::string& file) {
  return HostStatus::Error(ENOENT,
                           "value \"" + std::string(name) + "\" of [" + key + "] in " + file);
}

}  // namespace

std::string HiveFile(Hive hive) {
  if (hive == Hive::kDefaultUser) {
    return EnvOr("CORVANE_DEFAULT_REGISTRY", std::string(kDefaultUserHiveFile));
  }
  if (const char* file = std::getenv("CORVANE_USER_REGISTRY"); file != nullptr && *file != '\0') {
    return file;
  }
  // The XDG base-directory rules ignore a relative XDG_CONFIG_HOME.
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    config = home + "/.config";
  }
  return config + "/Quillfen/Corvane/registry.ini";
}

SettingsStore::SettingsStore(Hive hive) : file_(HiveFile(hive)) {}

SettingsStore::SettingsStore(std::string file) : file_(std::move(file)) {}

HostStatus SettingsStore::OpenKey(std::string_view key) const {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  HostResult<ReadFile> hive = ReadHive(file_);
  if (!hive.ok()) return hive.status;
  if (!hive.value.document.HasKey(path.value)) return MissingKey(path.value, file_);
  return {};
}

HostStatus SettingsStore::CreateKey(std::string_view key) {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  return Modify(file_, lock_wait_, [&](IniDocument* hive, IniDocument*) {
    if (!hive->HasKey(path.value)) hive->CreateKey(path.value);
    return HostStatus();
  });
}

HostResult<std::string> SettingsStore::QueryValue(std::string_view key,
                                                  std::string_view name) const {
  HostResult<std::string> result = Normalized(key, file_);
  if (!result.ok()) return result;
  const std::string path = std::move(result.value);
  result.value.clear();
  HostResult<ReadFile> hive = ReadHive(file_);
  if (!hive.ok()) {
    result.status = hive.status;
    return result;
  }
  if (!hive.value.document.HasKey(path)) {
    result.status = MissingKey(path, file_);
    return result;
  }
  std::optional<std::string> value;
  if (IsSecretValue(path, name)) {
    const std::string credentials_file = CredentialsFileOf(file_);
    HostResult<ReadFile> credentials = ReadCredentials(credentials_file);
    if (!credentials.ok()) {
      result.status = credentials.status;
      return result;
    }
    value = credentials.value.document.Value(path, name);
    // A secret still in the settings file, from before it had credentials beside it.
    if (!value) value = hive.value.document.Value(path, name);
    if (value && !credentials.value.document.Value(path, name)) {
      if (HostStatus open = CheckOwnerOnly(file_, hive.value.mode); !open.ok()) {
        result.status = open;
        return result;
      }
    }
  } else {
    value = hive.value.document.Value(path, name);
  }
  if (value) {
    result.value = std::move(*value);
  } else {
    result.status = MissingValue(path, name, file_);
  }
  return result;
}

HostStatus SettingsStore::SetValue(std::string_view key, std::string_view name,
                                   std::string_view value) {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  const bool secret = IsSecretValue(path.value, name);
  return Modify(file_, lock_wait_, [&](IniDocument* hive, IniDocument* credentials) {
    if (!hive->HasKey(path.value)) return MissingKey(path.value, file_);
    if (secret) {
      credentials->SetValue(path.value, name, value);
      hive->DeleteValue(path.value, name);
    } else {
      hive->SetValue(path.value, name, value);
    }
    return HostStatus();
  });
}

HostStatus SettingsStore::DeleteValue(std::string_view key, std::string_view name) {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  const bool secret = IsSecretValue(path.value, name);
  return Modify(file_, lock_wait_, [&](IniDocument* hive, IniDocument* credentials) {
    if (!hive->HasKey(path.value)) return MissingKey(path.value, file_);
    bool deleted = hive->DeleteValue(path.value, name);
    if (secret) deleted = credentials->DeleteValue(path.value, name) || deleted;
    if (!deleted) return MissingValue(path.value, name, file_);
    return HostStatus();
  });
}

}  // namespace corvane::host
