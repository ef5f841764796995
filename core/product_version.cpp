#include "core/product_version.h"

namespace corvane {

// Both are defined for this file alone by the build (core/CMakeLists.txt), from the project's
// VERSION and release month.
const char* ProductVersion() { return CORVANE_VERSION; }
const char* ProductReleaseMonth() { return CORVANE_RELEASE_MONTH; }

}  // namespace corvane
