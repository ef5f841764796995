// Runs the whole suite in UTC, so that printed local times are known in advance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class UtcEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

[[maybe_unused]] testing::Environment* const kUtc =
    testing::AddGlobalTestEnvironment(new UtcEnvironment);

}  // namespace
