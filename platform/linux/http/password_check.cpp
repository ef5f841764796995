#include "platform/linux/http/password_check.h"

#include <crypt.h>
#include <sys/random.h>

#include <memory>

#include "platform/linux/http/gnutls_library.h"

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
    : users_(std::move(users)), clock_(std::move(clock)), unknown_setting_(NewSetting("$2b$", 10)) {
  can_remember_ = GnutlsLibrary::Load(nullptr) != nullptr &&
                  getrandom(cache_key_, sizeof cache_key_, 0) == sizeof cache_key_;
}

std::string PasswordCheck::Digest(std::string_view password) const {
  if (!can_remember_) return {};
  unsigned char digest[32];
  if (GnutlsLibrary::Load(nullptr)->hmac_fast(GNUTLS_MAC_SHA256, cache_key_, sizeof cache_key_,
                                              password.data(), password.size(), digest) != 0) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
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
