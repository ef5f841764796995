#include "desktop/app/command_line.h"

namespace corvane::desktop {

InfoRequest FindInfoRequest(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return InfoRequest::kHelp;
    if (arg == "--version") return InfoRequest::kVersion;
  }
  return InfoRequest::kNone;
}

}  // namespace corvane::desktop
