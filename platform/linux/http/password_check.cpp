#include "platform/linux/http/password_check.h"

#include <crypt.h>

#include <memory>

namespace corvane::http {
namespace {

// crypt's answer for `password` under `setting`; empty when crypt refuses the pair.
std::string Crypt(std::string_view password, const std::string& setting) {
  if (setting.empty() || password.find('\0') != std::string_view::npos) return {};
  const std::string phrase(password);
  auto data = std::make_unique<crypt_data>();  // about 32 KiB: not for the server's stack
  const char* result = crypt_rn(phrase.c_str(), setting.c_str(), data.get(), sizeof *data);
  // A failure gives null or a string starting with "*" (never a valid hash).
  if (result == nullptr || result[0] == '*') return {};
  return result;
}

// Compares without stopping at the first difference.
bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

// A fresh setting of `prefix` and `cost` from the system's random source; empty when none.
std::string NewSetting(const char* prefix, unsigned long cost) {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  if (crypt_gensalt_rn(prefix, cost, nullptr, 0, setting, sizeof setting) == nullptr) return {};
  return setting;
}

}  // namespace

PasswordCheck::PasswordCheck(std::map<std::string, std::string> users, Clock clock)
    : users_(std::move(users)),
      clock_(std::move(clock)),
      cache_setting_(NewSetting("$5$", 1000)),
      unknown_setting_(NewSetting("$2b$", 10)) {}

std::string PasswordCheck::Digest(std::string_view password) const {
  return Crypt(password, cache_setting_);
}

bool PasswordCheck::Allows(std::string_view user, std::string_view password) {
  const auto found = users_.find(std::string(user));
  const std::string digest = Digest(password);
  const auto now = clock_();
  if (found != users_.end() && !digest.empty()) {
    std::lock_guard lock(mutex_);
    const auto known = remembered_.find(user);
    if (known != remembered_.end() && now < known->second.until &&
        SameText(known->second.digest, digest)) {
      return true;
    }
  }
  {
    std::lock_guard lock(mutex_);
    ++slow_checks_;
  }
  if (found == users_.end()) {
    Crypt(password, unknown_setting_);
    return false;
  }
  const std::string hashed = Crypt(password, found->second);
  if (hashed.empty() || !SameText(hashed, found->second)) return false;
  if (!digest.empty()) {
    std::lock_guard lock(mutex_);
    remembered_[found->first] = {digest, now + kRemembered};
  }
  return true;
}

unsigned PasswordCheck::slow_checks() const {
  std::lock_guard lock(mutex_);
  return slow_checks_;
}

}  // namespace corvane::http
