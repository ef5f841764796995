// Loading the screen saver's profile into its engine. Any thread that may call the engine
// while its collector does not run.
#pragma once

#include <filesystem>

namespace corvane {
class Corvane;
}

namespace corvane::screensaver {

inline constexpr int kFallbackInterval = 4;  // seconds, when the profile cannot be read

// The profile's counters and settings; when it cannot be read, the default counters sampled
// every 4 seconds without an activity log. The settings are applied to the chart either way.
// True when the profile was loaded.
bool LoadScreensaverProfile(Corvane& engine, const std::filesystem::path& path);

}  // namespace corvane::screensaver
