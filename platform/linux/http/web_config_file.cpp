#include "platform/linux/http/web_config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace corvane::http {
namespace {

// A configuration file, certificate chain or key is a few kilobytes; anything far beyond is
// not one, and is not read into memory.
constexpr off_t kMaxFileBytes = 1024 * 1024;

std::string SystemText(int code) {
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

FileStamp StampOf(const std::string& path, const struct stat& info) {
  FileStamp stamp;
  stamp.path = path;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim;
  return stamp;
}

// Reads a regular file whole; `private_key` refuses one that group or other may read.
bool ReadSmallFile(const std::string& path, bool private_key, std::string* text, FileStamp* stamp,
                   std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    *error = path + ": " + SystemText(errno);
    return false;
  }
  struct stat info {};
  bool good = ::fstat(fd, &info) == 0;
  if (!good) {
    *error = path + ": " + SystemText(errno);
  } else if (!S_ISREG(info.st_mode)) {
    *error = path + ": not a regular file";
    good = false;
  } else if (info.st_size > kMaxFileBytes) {
    *error = path + ": larger than " + std::to_string(kMaxFileBytes) + " bytes";
    good = false;
  } else if (private_key && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    *error = path + ": the private key may be read by others (mode " + mode + "); make it 0600";
    good = false;
  }
  if (good) {
    text->resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text->size()) {
      const ssize_t got = ::read(fd, text->data() + done, text->size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        *error = path + ": " + SystemText(errno);
        good = false;
        break;
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    text->resize(done);
    *stamp = StampOf(path, info);
  }
  ::close(fd);
  return good;
}

bool LooksLikePem(const std::string& text) { return text.find("-----BEGIN ") != std::string::npos; }

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
  return path == other.path && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<LoadedWebConfig> LoadWebConfigFile(const std::string& path, std::string* error) {
  LoadedWebConfig loaded;
  std::string text;
  FileStamp stamp;
  if (!ReadSmallFile(path, false, &text, &stamp, error)) return std::nullopt;
  loaded.stamps.push_back(stamp);
  std::optional<WebConfig> config = ParseWebConfig(text, path, error);
  if (!config) return std::nullopt;
  loaded.config = std::move(*config);
  if (!loaded.config.tls) return loaded;

  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const auto resolve = [&](const std::string& name) {
    const std::filesystem::path file(name);
    return (file.is_absolute() || folder.empty() ? file : folder / file).string();
  };
  const std::string cert_path = resolve(loaded.config.tls->cert_file);
  const std::string key_path = resolve(loaded.config.tls->key_file);
  if (!ReadSmallFile(cert_path, false, &loaded.cert_pem, &stamp, error)) return std::nullopt;
  loaded.stamps.push_back(stamp);
  if (!LooksLikePem(loaded.cert_pem)) {
    *error = cert_path + ": not a PEM certificate";
    return std::nullopt;
  }
  if (!ReadSmallFile(key_path, true, &loaded.key_pem, &stamp, error)) return std::nullopt;
  loaded.stamps.push_back(stamp);
  if (!LooksLikePem(loaded.key_pem)) {
    *error = key_path + ": not a PEM private key";
    return std::nullopt;
  }
  if (loaded.config.tls->client_ca_file.empty()) return loaded;
  const std::string ca_path = resolve(loaded.config.tls->client_ca_file);
  if (!ReadSmallFile(ca_path, false, &loaded.client_ca_pem, &stamp, error)) return std::nullopt;
  loaded.stamps.push_back(stamp);
  if (!LooksLikePem(loaded.client_ca_pem)) {
    *error = ca_path + ": not a PEM certificate";
    return std::nullopt;
  }
  return loaded;
}

std::vector<FileStamp> CurrentStamps(const std::vector<FileStamp>& stamps) {
  std::vector<FileStamp> now;
  now.reserve(stamps.size());
  for (const FileStamp& old : stamps) {
    struct stat info {};
    if (::stat(old.path.c_str(), &info) == 0) {
      now.push_back(StampOf(old.path, info));
    } else {
      FileStamp missing;
      missing.path = old.path;
      now.push_back(missing);
    }
  }
  return now;
}

}  // namespace corvane::http
