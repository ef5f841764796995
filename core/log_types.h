// What the engine hands the activity log: the three log settings and, per counter, the axis
// scale the log needs to show a value as the chart shows it. Plain values; any thread.
#pragma once

#include <string_view>

#include "chart/display_value.h"

namespace corvane {

// The engine's not-available mark: a current value of exactly this is an unavailable reading.
inline constexpr double kUnavailableValue = -1.0;

struct LogSettings {
  int mode = 2;    // LogMode: 0 off, 1 every update, 2 changes of values, 3 changes of states
  int format = 0;  // LogFormat: 1 CSV, anything else HTML
  int file_size_kb = 64;  // LogFileSize: size limit in KB (x 1024 bytes)
};

// One counter's axis. `name` must stay valid for the call it is passed to.
struct LogAxis {
  std::string_view name;    // the axis name, the column heading
  double multiplier = 1.0;  // raw values are divided by it
  double max = 0.0;         // MaxValue, in display units; inverse axes show max minus the value
  double critical = 0.0;    // CriticalValue, in display units; a value at or above it is critical
  bool inverse = false;
};

// The value the chart shows for a raw reading, by the chart's own rule.
inline double LogDisplayValue(const LogAxis& axis, double current) {
  return chart::DisplayValue(current, axis.multiplier, axis.inverse, axis.max);
}

}  // namespace corvane
