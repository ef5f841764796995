#include "core/product_version.h"

namespace corvane {

// Both are defined for this file alone by the build (core/CMakeLists.txt), from the project's
// VERSION and release month.
const char* ProductVersion() { return CORVANE_VERSION; }
const char* ProductReleaseMonth() { return CORVANE_RELEASE_MONTH; }

std::string VersionLine(std::string_view program) {
  std::string line(program);
  if (program != "Corvane") line.append(" (Corvane)");
  line.append(" ").append(ProductVersion()).push_back('\n');
  return line;
}

}  // namespace corvane
