#include "platform/linux/host/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "files/atomic_file.h"
#include "platform/linux/host/ini_document.h"

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
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

HostStatus MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".") return {};
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return {};
    return HostStatus::Error(ENOTDIR, "mkdir " + folder);
  }
  if (HostStatus parent = MakeFolders(FolderOf(folder)); !parent.ok()) return parent;
  if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return HostStatus::Error(errno, "mkdir " + folder);
  }
  return {};
}

// Reads the hive; a missing file reads as the seeded keys.
HostResult<IniDocument> ReadHive(const std::string& file) {
  HostResult<IniDocument> result;
  if (file.empty()) {
    result.status = HostStatus::Error(ENOENT, "no home folder for the user's settings");
    return result;
  }
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) {
      result.value = IniDocument::Parse(kSeed);
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
  if (info.st_size > kMaxHiveBytes) {
    result.status = HostStatus::Error(EFBIG, "read " + file);
    return result;
  }
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
  result.value = IniDocument::Parse(text);
  return result;
}

// Replaces `file` by `text` so that a crash leaves the old hive or the new one, never a mix. A
// new hive is 0644 whatever the umask: the service reads the default user's settings.
HostStatus ReplaceFile(const std::string& file, std::string_view text) {
  files::AtomicFileOptions options;
  options.mode = 0644;
  options.exact_mode = true;
  options.keep_attributes = true;
  files::AtomicFile writer;
  if (writer.Open(file, options) && writer.Write(text) && writer.Commit()) return {};
  return HostStatus::Error(writer.error_code(), writer.error_context());
}

// Reads the hive under the folder's lock, lets `change` edit it and writes it back when the
// change succeeded and altered the text.
HostStatus Modify(const std::string& file, const std::function<HostStatus(IniDocument*)>& change) {
  if (file.empty()) return HostStatus::Error(ENOENT, "no home folder for the user's settings");
  const std::string folder = FolderOf(file);
  if (HostStatus made = MakeFolders(folder); !made.ok()) return made;

  // The lock sits on the folder, not on the file: the file is replaced by every write, and a
  // lock on the old file would not hold back a writer that opens the new one.
  Fd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() < 0) return HostStatus::Error(errno, "open " + folder);
  while (::flock(folder_fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return HostStatus::Error(errno, "lock " + folder);
  }

  HostResult<IniDocument> hive = ReadHive(file);
  if (!hive.ok()) return hive.status;
  const std::string before = hive.value.Serialize();
  if (HostStatus changed = change(&hive.value); !changed.ok()) return changed;
  const std::string after = hive.value.Serialize();
  if (after == before && ::access(file.c_str(), F_OK) == 0) return {};
  return ReplaceFile(file, after);  // closing folder_fd unlocks
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
  HostResult<IniDocument> hive = ReadHive(file_);
  if (!hive.ok()) return hive.status;
  if (!hive.value.HasKey(path.value)) return MissingKey(path.value, file_);
  return {};
}

HostStatus SettingsStore::CreateKey(std::string_view key) {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  return Modify(file_, [&](IniDocument* hive) {
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
  HostResult<IniDocument> hive = ReadHive(file_);
  if (!hive.ok()) {
    result.status = hive.status;
  } else if (!hive.value.HasKey(path)) {
    result.status = MissingKey(path, file_);
  } else if (std::optional<std::string> value = hive.value.Value(path, name)) {
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
  return Modify(file_, [&](IniDocument* hive) {
    if (!hive->HasKey(path.value)) return MissingKey(path.value, file_);
    hive->SetValue(path.value, name, value);
    return HostStatus();
  });
}

HostStatus SettingsStore::DeleteValue(std::string_view key, std::string_view name) {
  HostResult<std::string> path = Normalized(key, file_);
  if (!path.ok()) return path.status;
  return Modify(file_, [&](IniDocument* hive) {
    if (!hive->HasKey(path.value)) return MissingKey(path.value, file_);
    if (!hive->DeleteValue(path.value, name)) return MissingValue(path.value, name, file_);
    return HostStatus();
  });
}

}  // namespace corvane::host
