// What a recording needs to know of the profile that wrote it: the axes with their scales, the
// sampling interval, the averaging depth and the log mode. Taken from the profile beside the
// log when there is one, else made from the log's own column headings. Plain values; any
// thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane {
class Corvane;
}

namespace corvane::recording {

struct RecordingAxis {
  std::string name;
  double min = 0.0;
  double max = 100.0;       // display units
  double critical = 100.0;  // display units
  double multiplier = 1.0;
  bool inverse = false;
};

struct RecordingSettings {
  std::vector<RecordingAxis> axes;
  int interval = 2;  // seconds between samples
  int history = 30;  // samples in the average
  int mode = 0;      // LogMode, 0 when not known
  bool from_profile = false;
};

// The axes and settings of an engine that has loaded the profile. Takes the engine's lock.
RecordingSettings SettingsFromEngine(const Corvane& engine);

// The profile that writes the log at `log_path`: "<folder>/Logs/<title>-log.<ext>" (or the
// backup "-log-bkup") belongs to "<folder>/<title>.crvn". Nothing when no such file exists.
std::optional<std::filesystem::path> ProfileBesideLog(const std::filesystem::path& log_path);

// The raw counter reading behind a value the log shows, by the inverse of the chart's rule. An
// inverse axis showing 0 had a reading at its maximum or beyond: the maximum is taken.
double RawFromShown(const RecordingAxis& axis, double shown);

}  // namespace corvane::recording
