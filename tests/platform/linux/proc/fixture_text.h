// Reads a captured kernel file from tests/fixtures/proc. Test thread only.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace corvane::local::testing {

// FixtureText("snapshot_a", "proc/stat").
inline std::string FixtureText(std::string_view snapshot, std::string_view relative) {
  std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/proc/" + std::string(snapshot) + "/" +
                       std::string(relative),
                   std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace corvane::local::testing
