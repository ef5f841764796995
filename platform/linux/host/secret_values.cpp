#include "platform/linux/host/secret_values.h"

#include <array>
#include <cerrno>
#include <cstdio>

namespace corvane::host {
namespace {

constexpr std::array kSecretValues = {
    SecretValue{"Software\\Quillfen\\Corvane\\Prometheus", "Password"},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBackslashes(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

}  // namespace

std::span<const SecretValue> SecretValues() { return kSecretValues; }

bool IsSecretValue(std::string_view key, std::string_view name) {
  key = TrimBackslashes(key);
  for (const SecretValue& secret : kSecretValues) {
    if (SameName(key, secret.key) && SameName(name, secret.name)) return true;
  }
  return false;
}

std::string CredentialsFileOf(const std::string& hive_file) { return hive_file + ".credentials"; }

HostStatus CheckOwnerOnly(const std::string& file, mode_t mode) {
  if ((mode & 077) == 0) return {};
  char octal[8];
  std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
  return HostStatus::Error(EACCES, std::string("Permissions ") + octal + " for '" + file +
                                       "' are too open: a file holding a secret must be "
                                       "readable by its owner only (chmod 600 '" +
                                       file + "')");
}

}  // namespace corvane::host
