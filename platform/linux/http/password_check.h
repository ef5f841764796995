// The users of a listener's basic authentication and their bcrypt hashes, checked through the
// system's crypt library. A bcrypt check at cost 10 takes tens of milliseconds, too much for
// every scrape, so a pair that passed is remembered for a while: as an HMAC-SHA-256 of the
// password under a random key of this object's own, never the password.
//
// Any thread; the cache has a lock of its own, taken only around its look-ups.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace corvane::http {

class PasswordCheck {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // How long a pair that passed skips the bcrypt check.
  static constexpr std::chrono::seconds kRemembered{60};

  // `users`: user -> "$2y$..." or "$2b$..." hash.
  explicit PasswordCheck(std::map<std::string, std::string> users,
                         Clock clock = std::chrono::steady_clock::now);

  // Whether `user` signs in with `password`. An unknown user costs a bcrypt check too, so the
  // time of a refusal does not tell which names exist.
  bool Allows(std::string_view user, std::string_view password);

  // How many bcrypt checks have run (for tests of the cache).
  unsigned slow_checks() const;

 private:
  struct Remembered {
    std::string digest;
    std::chrono::steady_clock::time_point until;
  };
  std::string Digest(std::string_view password) const;

  const std::map<std::string, std::string> users_;
  const Clock clock_;
  unsigned char cache_key_[32] = {};  // the HMAC key; all zero: nothing is remembered
  bool can_remember_ = false;
  std::string unknown_setting_;  // a bcrypt setting of cost 10 for names with no hash
  mutable std::mutex mutex_;
  std::map<std::string, Remembered, std::less<>> remembered_;  // guarded by mutex_
  unsigned slow_checks_ = 0;                                   // guarded by mutex_
};

}  // namespace corvane::http
