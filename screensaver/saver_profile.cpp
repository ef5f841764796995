#include "screensaver/saver_profile.h"

#include "core/engine.h"

namespace corvane::screensaver {

bool LoadScreensaverProfile(Corvane& engine, const std::filesystem::path& path) {
  engine.RemoveAllAxes();
  const bool loaded = !path.empty() && engine.Load(path);
  if (!loaded) {
    engine.SetUpNewProfile();
    CorvaneSettings settings = engine.GetSettings();
    settings.Interval = kFallbackInterval;
    settings.LogMode = log_mode::kOff;
    engine.SetSettings(settings);
  }
  engine.ApplySettingsToChart();
  return loaded;
}

}  // namespace corvane::screensaver
