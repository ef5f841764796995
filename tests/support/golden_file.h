// Golden files: byte-exact expected outputs kept under tests/fixtures/golden/. With
// CORVANE_UPDATE_GOLDEN=1 in the environment the test rewrites the file from what it got (look
// at the diff before committing it); otherwise it compares. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace corvane::test_support {

inline std::filesystem::path GoldenPath(std::string_view relative) {
  return std::filesystem::path(CORVANE_FIXTURES_DIR) / "golden" / relative;
}

inline void ExpectMatchesGolden(std::string_view relative, const std::string& actual) {
  const std::filesystem::path path = GoldenPath(relative);
  const char* update = std::getenv("CORVANE_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << actual;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "cannot read " << path << " (CORVANE_UPDATE_GOLDEN=1 writes it)";
  const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(actual, golden) << "differs from " << path;
}

}  // namespace corvane::test_support
