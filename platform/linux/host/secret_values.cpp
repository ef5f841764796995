#include "platform/linux/host/secret_values.h"

#include <array>
#include <cerrno>

#include "files/owner_only.h"

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
  const std::string refusal = files::TooOpenForASecret(file, mode);
  if (refusal.empty()) return {};
  return HostStatus::Error(EACCES, refusal);
}

}  // namespace corvane::host
