// What a screen reader hears of the wind rose: the unit of an axis, its spoken name and the
// text that carries its current value, average, maximum and critical value, and the numbers an
// assistive technology compares. Built from the engine on demand (no copies kept), so the
// texts are never older than the chart.
//
// Any thread; every function takes the engine's lock for its own duration.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

#include "chart/value_state.h"

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

// The unit the chart's numbers of an axis are in, from its counter and multiplier: "%" for
// percentages, "B/s", "KB/s" or "MB/s" for byte rates, "bytes", "KB", "MB" or "GB" for byte
// counts, "per second" for other rates; empty for plain counts. A multiplier the unit cannot
// absorb is spoken as "× N". Without a counter path the axis name is looked at ("% CPU").
QString AxisUnit(std::string_view counter_path, std::string_view axis_name, double multiplier);

// A number as the chart shows it (whole numbers without decimals, others with two), then the
// unit: "42%", "1200 KB/s", "17".
QString SpokenNumber(double value, const QString& unit);

// One axis as spoken. Numbers are the chart's (after multiplier and inversion).
struct AxisSpeech {
  QString name;         // the axis name, "3: " before it while Numbers is on
  QString description;  // "42%, average 30%, maximum 95%, critical value 80%" (see ReadAxis)
  double current = 0.0;
  double minimum = 0.0;  // the axis's scale
  double maximum = 0.0;
  bool available = false;  // the current value has a reading
  bool critical = false;   // the current value lies above the critical value
};

// The axis `index` of the engine; an index out of range gives an empty record. The
// description: the current value with its unit, ", critical" while it lies above the
// critical value, then ", average A, maximum M, critical value C"; a value without a reading
// reads "not available".
AxisSpeech ReadAxis(const Corvane& engine, int index);

// The numbers that decide an axis's text, rounded as the text shows them, so that two samples
// with the same spoken text compare equal. No allocation.
struct AxisFingerprint {
  std::int64_t current = 0;  // hundredths; kNotAvailableMark without a reading
  std::int64_t average = 0;
  std::int64_t maximum = 0;
  chart::ValueState state = chart::ValueState::kNormal;  // of the current value

  bool operator==(const AxisFingerprint&) const = default;
};

// The fingerprint of one axis; the engine's lock must be held (or is taken).
AxisFingerprint FingerprintOf(const Corvane& engine, int index);

}  // namespace corvane::desktop
