// WindRose: construction, the profile hooks' defaults, the error bookkeeping, the lock and the
// modified flag, and the value scaling that drawing and callers share.
#include "chart/wind_rose.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

#include "chart/wind_rose_access.h"

namespace corvane::chart {

WindRose::WindRose(int axis_capacity, int series_capacity) {
  if (axis_capacity < 0) {
    axis_capacity = kDefaultAxisCapacity;
    last_error_ = ChartError::kIndexOutOfRange;
  }
  if (series_capacity < 0) {
    series_capacity = kDefaultSeriesCapacity;
    last_error_ = ChartError::kIndexOutOfRange;
  }
  try {
    axes_.reserve(static_cast<std::size_t>(axis_capacity));
    series_.reserve(static_cast<std::size_t>(series_capacity));
    axis_capacity_ = axis_capacity;
    series_capacity_ = series_capacity;
  } catch (const std::bad_alloc&) {
    last_error_ = ChartError::kOutOfMemory;
  } catch (const std::length_error&) {
    last_error_ = ChartError::kOutOfMemory;
  }
}

WindRose::~WindRose() = default;

// ---- Hooks. ----

bool WindRose::WriteItem(ProfileWriter& /*file*/, const AxisItem& /*item*/) const { return true; }

bool WindRose::WriteSettings(ProfileWriter& /*file*/) const { return true; }

bool WindRose::WriteHeader(ProfileWriter& file) const {
  return file.WriteLine("") && file.WriteLine("# WINDROSE CONFIGURATION FILE. DO NOT EDIT!") &&
         file.WriteLine("");
}

AxisItem* WindRose::ReadItem(std::string_view /*key*/, std::string_view /*value*/) {
  return nullptr;
}

void WindRose::ReadSetting(std::string_view /*key*/, std::string_view /*value*/) {}

void WindRose::FreeItem(AxisItem* /*item*/) {}

// ---- Error bookkeeping. ----

bool WindRose::Succeed() const {
  last_error_ = ChartError::kNone;
  return true;
}

bool WindRose::Fail(ChartError error) const {
  last_error_ = error;
  return false;
}

bool WindRose::AxisExists(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < axes_.size();
}

bool WindRose::SeriesExists(int series) const {
  return series >= 0 && static_cast<std::size_t>(series) < series_.size();
}

// ---- Housekeeping. ----

void WindRose::Lock() const { lock_.lock(); }

void WindRose::Unlock() const { lock_.unlock(); }

ChartError WindRose::GetLastErrorCode() const { return Locked(last_error_); }

bool WindRose::IsModified() const { return Locked(modified_); }

void WindRose::SetModified(bool modified) {
  Guard guard(lock_);
  modified_ = modified;
}

// ---- Scaling. ----

void WindRose::SetChartRadius(int radius) {
  Guard guard(lock_);
  radius_ = radius;
}

int WindRose::GetChartRadius() const { return Locked(radius_); }

double WindRose::Radius(int axis, int series) const {
  Guard guard(lock_);
  return RadiusFor(axis, series, radius_);
}

double WindRose::RadiusFor(int axis, int series, double chart_radius) const {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return 0.0;
  const AxisRecord& scale = axes_[static_cast<std::size_t>(axis)];
  const double v =
      series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)].value;
  const double r_full = chart_radius;      // pixels
  const double border = critical_border_;  // percent
  const double c = scale.critical_value;
  const double m = scale.max_value;

  double r = 0.0;
  if (critical_border_ == 0) {
    r = v * r_full / DivisorOrOne(m);
  } else if (v <= c) {
    r = v * (r_full * border / 100.0) / DivisorOrOne(c);
  } else {
    const double outer = c >= m ? 1.0 : m - c;
    r = r_full * ((100.0 - border) / 100.0 * (v - c) / outer + border / 100.0);
  }
  if (r > r_full) r = r_full;
  // Only a NaN scale (which no setter lets in) could get here; the drawing cannot place it.
  if (std::isnan(r)) r = 0.0;
  return r;
}

}  // namespace corvane::chart
