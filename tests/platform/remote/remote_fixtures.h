// Recorded and hand-written exporter pages under tests/fixtures/exporters. Test helpers; any
// thread.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace corvane::remote::testing {

inline std::string ExporterFixturePath(const std::string& name) {
  return std::string(CORVANE_FIXTURES_DIR) + "/exporters/" + name;
}

// The file's text; empty when it cannot be read (the calling test then fails on it).
inline std::string ReadExporterFixture(const std::string& name) {
  std::ifstream in(ExporterFixturePath(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace corvane::remote::testing
