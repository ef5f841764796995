#include "core/recording/recording_engine.h"

namespace corvane::recording {
namespace {

// The engine as a new profile leaves it, whatever profile it showed before.
void StartAfresh(Corvane& engine) {
  engine.SetUpNewProfile();
  engine.RemoveAllAxes();
  engine.ResetToDefaults();
}

void TurnLogOff(Corvane& engine) {
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  engine.SetSettings(settings);
  engine.ApplySettingsToChart();
  engine.SetModified(false);
}

}  // namespace

bool LoadProfileWithoutLog(Corvane& engine, const std::filesystem::path& profile,
                           std::string* error) {
  StartAfresh(engine);
  // The chart's own load reads the axes and the settings; the engine's would also open the
  // profile's activity log beside it.
  if (!engine.chart::WindRose::Load(profile)) {
    const std::string reason = engine.GetLastProfileError();
    *error = "cannot load profile " + profile.string() + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  // An empty file, random bytes or bare line ends read as a profile without a single axis.
  if (engine.GetAxisCount() == 0) {
    *error = "the profile has no counters: " + profile.string();
    return false;
  }
  TurnLogOff(engine);
  return true;
}

void UseLogColumns(Corvane& engine, const RecordingSettings& settings) {
  StartAfresh(engine);
  for (const RecordingAxis& axis : settings.axes) {
    if (engine.GetAxisCount() == engine.GetAxisCapacity()) break;
    engine.AddAxis(axis.name, std::string_view(), axis.inverse, axis.min, axis.max, axis.critical,
                   axis.multiplier, nullptr);
  }
  TurnLogOff(engine);
}

}  // namespace corvane::recording
