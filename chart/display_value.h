// The one rule that turns a raw counter reading into the value an axis shows: the chart's
// series, the activity log and every other reader of a display value call it. Pure; any thread.
#pragma once

namespace corvane::chart {

// A zero divisor in the scale formulas counts as 1, so an axis whose multiplier, maximum or
// critical value is 0 (a profile may carry such a value; the setters refuse it) still shows
// a finite value instead of dividing by zero.
inline double DivisorOrOne(double divisor) { return divisor == 0.0 ? 1.0 : divisor; }

// The reading divided by the axis's multiplier and, on an inverse axis, subtracted from the
// axis's maximum (0 when it reaches the maximum or beyond).
inline double DisplayValue(double raw, double multiplier, bool inverse, double max) {
  const double value = raw / DivisorOrOne(multiplier);
  if (!inverse) return value;
  return value < max ? max - value : 0.0;
}

}  // namespace corvane::chart
