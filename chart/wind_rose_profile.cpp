// WindRose::Save and WindRose::Load: the profile file (".crvn"). Lines are "Key=value" or a
// bare marker word; the chart's six settings come first, then the owner's settings (through
// WriteSettings / ReadSetting), then one BeginAxis ... EndAxis block per axis whose unknown
// keys go to the owner's item hooks.
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "chart/profile_file_writer.h"
#include "chart/profile_line_reader.h"
#include "chart/profile_numbers.h"
#include "chart/wind_rose.h"
#include "files/regular_file.h"

namespace corvane::chart {

namespace {

constexpr std::string_view kBeginAxis = "BeginAxis";
constexpr std::string_view kEndAxis = "EndAxis";

// Splits a line at its first "=". A line without one is both key and value; a line ending in
// its first "=" has no value (std::nullopt), which is not the same as an empty one.
struct KeyValue {
  std::string_view key;
  std::optional<std::string_view> value;
};

KeyValue Split(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {line, line};
  if (equals + 1 == line.size()) return {line.substr(0, equals), std::nullopt};
  return {line.substr(0, equals), line.substr(equals + 1)};
}

// Integer and real keys with nothing after "=" are skipped: the value they had stays.
void ReadInteger(const KeyValue& line, int* setting) {
  if (line.value) *setting = ParseProfileInteger(*line.value);
}

// A percentage outside 0..100 would reach the drawing's ring spacing unchecked; such a line
// is refused like the setters refuse the value, and the setting keeps what it had.
void ReadPercent(const KeyValue& line, int* setting) {
  if (!line.value) return;
  const int percent = ParseProfileInteger(*line.value);
  if (percent >= 0 && percent <= 100) *setting = percent;
}

// A number too large for a double is skipped too: no scale can work with an infinity.
void ReadReal(const KeyValue& line, double* field) {
  if (!line.value) return;
  if (const std::optional<double> value = ParseProfileReal(*line.value)) *field = *value;
}

std::string Describe(const std::filesystem::path& path, std::string_view step, int system_error) {
  std::string text = path.string();
  text += ": ";
  text += step;
  if (system_error != 0) {
    text += ": ";
    text += std::generic_category().message(system_error);
  }
  return text;
}

}  // namespace

bool WindRose::Save(const std::filesystem::path& path) {
  Guard guard(lock_);
  profile_error_.clear();
  ProfileFileWriter file;
  if (!file.Open(path)) {
    profile_error_ = file.error();
    return false;
  }

  bool ok = WriteHeader(file) && file.WriteInteger("GridStep", grid_step_) &&
            file.WriteInteger("CriticalBorder", critical_border_) &&
            file.WriteInteger("ShowNames", show_names_) &&
            file.WriteInteger("ShowNumbers", show_numbers_) &&
            file.WriteInteger("ShowValues", show_values_) &&
            file.WriteInteger("LabelTrunc", label_trunc_) && WriteSettings(file) &&
            file.WriteLine("");
  // By index: a hook may not change the axes, but an index never dangles if one does.
  for (std::size_t a = 0; ok && a < axes_.size(); ++a) {
    const AxisRecord& axis = axes_[a];
    ok = file.WriteLine(kBeginAxis) && file.WriteText("Name", axis.name.value_or("")) &&
         file.WriteText("Desc", axis.description.value_or("")) &&
         file.WriteReal("MinValue", axis.min_value) && file.WriteReal("MaxValue", axis.max_value) &&
         file.WriteReal("CriticalValue", axis.critical_value) &&
         file.WriteReal("Multiplier", axis.multiplier) &&
         file.WriteInteger("Inverse", axis.inverse ? 1 : 0);
    if (ok && a < axes_.size() && axes_[a].item != nullptr) ok = WriteItem(file, *axes_[a].item);
    ok = ok && file.WriteLine(kEndAxis) && file.WriteLine("");
  }
  if (ok) ok = file.Commit();
  if (!ok) {
    // The writer names the system's reason; otherwise a hook refused. The old file stays.
    profile_error_ =
        file.error().empty() ? Describe(path, "a profile hook failed", 0) : file.error();
    return false;
  }
  modified_ = false;
  return true;
}

std::string WindRose::GetLastProfileError() const {
  Guard guard(lock_);
  return profile_error_;
}

WindRose::ProfileBytes WindRose::ReadProfile(const std::filesystem::path& path) {
  ProfileBytes profile;
  if (path.empty()) {
    profile.error = "no profile path given";
    return profile;
  }
  profile.read = files::ReadRegularFile(path, kMaxProfileBytes, &profile.bytes, &profile.error);
  return profile;
}

bool WindRose::Load(const std::filesystem::path& path) {
  return LoadProfileBytes(path, ReadProfile(path));
}

bool WindRose::LoadProfileBytes(const std::filesystem::path& path, ProfileBytes profile) {
  Guard guard(lock_);
  if (!profile.read) {
    profile_error_ = std::move(profile.error);
    return false;
  }
  last_error_ = ChartError::kNone;
  profile_error_.clear();
  // The bytes are in memory; the line reader cuts them as it would cut the file.
  std::FILE* stream = ::fmemopen(profile.bytes.data(), profile.bytes.size(), "rb");
  if (stream == nullptr) {
    profile_error_ = Describe(path, "read", errno);
    return false;
  }

  ProfileLineReader reader(stream);
  // The axis the block lines go to, by index: hooks may touch the axes.
  constexpr std::size_t kNoAxis = static_cast<std::size_t>(-1);
  std::size_t current = kNoAxis;
  std::string_view piece;
  while (reader.Next(&piece)) {
    // The reader hands the piece on as a C string would end: at a NUL byte.
    std::string_view line = piece.substr(0, piece.find('\0'));
    if (!line.empty() && line.front() == '#') continue;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    // An empty line carries nothing.
    if (line.empty()) continue;
    const KeyValue kv = Split(line);

    if (kv.key == kBeginAxis) {
      // The limit ends the file: what follows the block that does not fit is not read.
      if (AppendBlankAxis() == nullptr) break;
      current = axes_.size() - 1;
      continue;
    }
    if (kv.key == kEndAxis) {
      current = kNoAxis;
      continue;
    }
    if (current != kNoAxis && current >= axes_.size()) current = kNoAxis;

    if (current == kNoAxis) {
      if (kv.key == "GridStep") {
        ReadPercent(kv, &grid_step_);
      } else if (kv.key == "CriticalBorder") {
        ReadPercent(kv, &critical_border_);
      } else if (kv.key == "ShowNames") {
        ReadInteger(kv, &show_names_);
      } else if (kv.key == "ShowNumbers") {
        ReadInteger(kv, &show_numbers_);
      } else if (kv.key == "ShowValues") {
        ReadInteger(kv, &show_values_);
      } else if (kv.key == "LabelTrunc") {
        ReadInteger(kv, &label_trunc_);
      } else {
        ReadSetting(kv.key, kv.value.value_or(std::string_view()));
      }
      continue;
    }

    AxisRecord& axis = axes_[current];
    if (kv.key == "Name") {
      axis.name = std::string(kv.value.value_or(std::string_view()));
    } else if (kv.key == "Desc") {
      axis.description = std::string(kv.value.value_or(std::string_view()));
    } else if (kv.key == "MinValue") {
      ReadReal(kv, &axis.min_value);
    } else if (kv.key == "MaxValue") {
      ReadReal(kv, &axis.max_value);
    } else if (kv.key == "CriticalValue") {
      ReadReal(kv, &axis.critical_value);
    } else if (kv.key == "Multiplier") {
      ReadReal(kv, &axis.multiplier);
    } else if (kv.key == "Inverse") {
      if (kv.value) axis.inverse = ParseProfileInteger(*kv.value) != 0;
    } else if (AxisItem* item = ReadItem(kv.key, kv.value.value_or(std::string_view()))) {
      // A second item line in one block replaces the first, which must not leak.
      if (current < axes_.size()) {
        if (AxisItem* old = axes_[current].item; old != item) {
          axes_[current].item = item;
          FreeItem(old);
        }
      } else {
        FreeItem(item);
      }
    }
  }

  if (reader.failed()) {
    profile_error_ = Describe(path, "read", reader.errno_value());
    std::fclose(stream);
    return false;
  }
  if (std::fclose(stream) != 0) {
    profile_error_ = Describe(path, "close", errno);
    return false;
  }
  modified_ = false;
  return true;
}

}  // namespace corvane::chart
