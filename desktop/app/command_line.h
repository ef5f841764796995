// The desktop program's command line beyond the profile: --help and --version, answered before
// any window system is reached, and the usage text. Pure functions; any thread.
#pragma once

#include <string_view>

namespace corvane::desktop {

enum class InfoRequest {
  kNone,
  kHelp,     // -h or --help: print the usage and end
  kVersion,  // --version: print the version and end
};

// The first of --help, -h and --version among the arguments after the program (argv[0]);
// kNone when there is none.
InfoRequest FindInfoRequest(int argc, const char* const* argv);

inline constexpr std::string_view kDesktopUsage =
    "Usage: Corvane [PROFILE.crvn | LOG.csv | LOG.html]\n"
    "       Corvane --help | --version\n"
    "  PROFILE.crvn  opens the profile and shows its live wind rose\n"
    "  LOG           plays the activity log back over the profile beside it\n"
    "  none          a new profile of the default counters\n"
    "Qt's own options (-platform, -display, ...) are understood too.\n";

}  // namespace corvane::desktop
