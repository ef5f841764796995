// Basic authentication's password check through crypt, with hashes made by crypt itself at a
// low cost, and its memory of pairs that passed under an injected clock.
#include "platform/linux/http/password_check.h"

#include <crypt.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace corvane::http {
namespace {

using std::chrono::steady_clock;

// A bcrypt hash of `password` at cost 4 (the lowest), as htpasswd would write it at cost 10.
std::string Bcrypt(const std::string& password, const char* prefix = "$2b$") {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  EXPECT_NE(crypt_gensalt_rn(prefix, 4, nullptr, 0, setting, sizeof setting), nullptr);
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_rn(password.c_str(), setting, data.get(), sizeof *data);
  EXPECT_NE(hash, nullptr);
  return hash != nullptr ? hash : "";
}

struct FakeClock {
  steady_clock::time_point now = steady_clock::time_point(std::chrono::hours(1));
  PasswordCheck::Clock clock() {
    return [this] { return now; };
  }
};

TEST(PasswordCheckTest, AllowsOnlyTheRightPairForEitherBcryptPrefix) {
  const PasswordCheck::Clock clock = steady_clock::now;
  PasswordCheck check({{"alice", Bcrypt("wonder land")}, {"bob", Bcrypt("builder", "$2y$")}},
                      clock);
  struct Case {
    const char* user;
    const char* password;
    bool allowed;
  };
  const Case cases[] = {
      {"alice", "wonder land", true},
      {"bob", "builder", true},
      {"alice", "builder", false},
      {"bob", "wonder land", false},
      {"alice", "wonder lan", false},
      {"alice", "", false},
      {"Alice", "wonder land", false},  // names are exact
      {"carol", "wonder land", false},  // no such user
      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(check.Allows(c.user, c.password), c.allowed) << c.user << ":" << c.password;
  }
  // A password with a NUL in it never matches the part before the NUL.
  EXPECT_FALSE(check.Allows("alice", std::string_view("wonder land\0x", 13)));
}

TEST(PasswordCheckTest, ARightPairSkipsBcryptForAWhileAndOnlyThatPair) {
  FakeClock time;
  PasswordCheck check({{"alice", Bcrypt("secret")}, {"bob", Bcrypt("other")}}, time.clock());
  EXPECT_TRUE(check.Allows("alice", "secret"));
  EXPECT_EQ(check.slow_checks(), 1u);
  EXPECT_TRUE(check.Allows("alice", "secret"));
  EXPECT_EQ(check.slow_checks(), 1u);  // remembered

  // A wrong password, or the right one under another name, is never taken from memory.
  EXPECT_FALSE(check.Allows("alice", "Secret"));
  EXPECT_FALSE(check.Allows("bob", "secret"));
  EXPECT_EQ(check.slow_checks(), 3u);
  EXPECT_TRUE(check.Allows("alice", "secret"));  // still remembered after a wrong try
  EXPECT_EQ(check.slow_checks(), 3u);

  time.now += PasswordCheck::kRemembered - std::chrono::seconds(1);
  EXPECT_TRUE(check.Allows("alice", "secret"));
  EXPECT_EQ(check.slow_checks(), 3u);
  time.now += std::chrono::seconds(1);  // the memory is over: bcrypt again
  EXPECT_TRUE(check.Allows("alice", "secret"));
  EXPECT_EQ(check.slow_checks(), 4u);
}

TEST(PasswordCheckTest, AHashCryptCannotUseAllowsNobody) {
  PasswordCheck check({{"alice", "$2b$04$short"}, {"bob", "$2y$99$" + std::string(53, 'a')}});
  EXPECT_FALSE(check.Allows("alice", ""));
  EXPECT_FALSE(check.Allows("alice", "$2b$04$short"));
  EXPECT_FALSE(check.Allows("bob", "a"));
}

}  // namespace
}  // namespace corvane::http
