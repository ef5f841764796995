#include "core/recording/recording_settings.h"

#include "chart/display_value.h"
#include "core/engine.h"

namespace corvane::recording {

RecordingSettings SettingsFromEngine(const Corvane& engine) {
  RecordingSettings settings;
  engine.Lock();
  const int count = engine.GetAxisCount();
  for (int i = 0; i < count; ++i) {
    RecordingAxis axis;
    chart::Text name;
    if (engine.GetAxisName(i, &name) && name) axis.name = std::string(*name);
    engine.GetAxisMin(i, &axis.min);
    engine.GetAxisMax(i, &axis.max);
    engine.GetAxisCritical(i, &axis.critical);
    engine.GetAxisMultiplier(i, &axis.multiplier);
    engine.GetAxisInverse(i, &axis.inverse);
    settings.axes.push_back(std::move(axis));
  }
  const CorvaneSettings values = engine.GetSettings();
  engine.Unlock();
  settings.interval = values.Interval;
  settings.history = values.History;
  settings.mode = values.LogMode;
  settings.from_profile = true;
  return settings;
}

std::optional<std::filesystem::path> ProfileBesideLog(const std::filesystem::path& log_path) {
  std::string stem = log_path.stem().string();
  for (const std::string_view suffix : {"-log-bkup", "-log"}) {
    if (stem.ends_with(suffix)) {
      stem.resize(stem.size() - suffix.size());
      break;
    }
  }
  const std::filesystem::path folder = log_path.parent_path();
  if (folder.filename() != "Logs") return std::nullopt;
  std::filesystem::path profile = folder.parent_path() / (stem + ".crvn");
  std::error_code error;
  if (!std::filesystem::is_regular_file(profile, error)) return std::nullopt;
  return profile;
}

double RawFromShown(const RecordingAxis& axis, double shown) {
  const double multiplier = chart::DivisorOrOne(axis.multiplier);
  if (!axis.inverse) return shown * multiplier;
  if (shown <= 0.0) return axis.max * multiplier;
  return (axis.max - shown) * multiplier;
}

}  // namespace corvane::recording
