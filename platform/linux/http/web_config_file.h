// A web configuration file read from disk with what it names: the certificate and private key
// as PEM text, and stamps of the three files so that a later look can tell whether any changed.
// The private key must be the owner's alone: a key file that group or other may read is
// refused, naming its mode.
//
// Any thread; the functions touch no shared state.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/http/web_config.h"

namespace corvane::http {

// What identifies one version of a file: a file replaced or rewritten changes at least one.
struct FileStamp {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;  // -1: the file could not be seen
  timespec modified{};
  bool operator==(const FileStamp& other) const;
};

struct LoadedWebConfig {
  WebConfig config;
  std::string cert_pem;  // empty without TLS
  std::string key_pem;
  std::string client_ca_pem;      // empty without client certificates
  std::vector<FileStamp> stamps;  // the file itself, then the certificate, key and CA it names
};

// Reads and checks `path` and the files it names (relative ones from the file's folder);
// nothing with *error naming the file and why ("/etc/corvane/web.yml: line 4: ...",
// "/etc/corvane/tls.key: the private key may be read by others (mode 0644); make it 0600").
std::optional<LoadedWebConfig> LoadWebConfigFile(const std::string& path, std::string* error);

// The stamps of the same files as they are now.
std::vector<FileStamp> CurrentStamps(const std::vector<FileStamp>& stamps);

}  // namespace corvane::http
