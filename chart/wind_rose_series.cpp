// WindRose's value series: adding and removing them, their texts, visibility, pen and colours,
// and the values and states they hold per axis.
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

#include "chart/wind_rose.h"
#include "chart/wind_rose_access.h"

namespace corvane::chart {
namespace {

bool KnownValueState(ValueState state) {
  const auto n = static_cast<std::int32_t>(state);
  return n >= static_cast<std::int32_t>(ValueState::kNormal) &&
         n <= static_cast<std::int32_t>(ValueState::kNotAvailable);
}

}  // namespace

bool WindRose::AddSeries(Text name, Text description) {
  Guard guard(lock_);
  if (series_.size() >= static_cast<std::size_t>(series_capacity_)) {
    return Fail(ChartError::kNoRoom);
  }
  if (!name || !description) return Fail(ChartError::kTextMissing);
  try {
    SeriesRecord series;
    series.name.assign(*name);
    series.description.assign(*description);
    series.values.resize(static_cast<std::size_t>(axis_capacity_));
    series.points.resize(static_cast<std::size_t>(axis_capacity_) + 1);
    series_.push_back(std::move(series));  // within the reserved capacity
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  } catch (const std::length_error&) {
    return Fail(ChartError::kOutOfMemory);
  }
  modified_ = true;
  return Succeed();
}

bool WindRose::RemoveAllSeries() {
  Guard guard(lock_);
  series_.clear();
  modified_ = true;
  return Succeed();
}

int WindRose::GetSeriesCount() const {
  Guard guard(lock_);
  return static_cast<int>(series_.size());
}

int WindRose::GetSeriesCapacity() const { return Locked(series_capacity_); }

bool WindRose::GetSeriesName(int series, std::string_view* name) const {
  return OnSeries(this, series, [&](const SeriesRecord& record) { *name = record.name; });
}

bool WindRose::GetSeriesDescription(int series, std::string_view* description) const {
  return OnSeries(this, series,
                  [&](const SeriesRecord& record) { *description = record.description; });
}

bool WindRose::SetSeriesVisible(int series, bool visible) {
  return OnSeries(this, series, [&](SeriesRecord& record) { record.visible = visible; });
}

bool WindRose::GetSeriesVisible(int series, bool* visible) const {
  return OnSeries(this, series, [&](const SeriesRecord& record) { *visible = record.visible; });
}

bool WindRose::SetSeriesPen(int series, PenStyle style, int width, Colour colour) {
  return OnSeries(this, series,
                  [&](SeriesRecord& record) { return SetPen(&record.pen, style, width, colour); });
}

bool WindRose::GetSeriesPen(int series, std::optional<Pen>* pen) const {
  return OnSeries(this, series, [&](const SeriesRecord& record) { *pen = record.pen; });
}

bool WindRose::SetSeriesTextColors(int series, Colour text, Colour background) {
  return OnSeries(this, series, [&](SeriesRecord& record) {
    record.text_colour = text;
    record.back_colour = background;
  });
}

bool WindRose::GetSeriesTextColors(int series, Colour* text, Colour* background) const {
  return OnSeries(this, series, [&](const SeriesRecord& record) {
    *text = record.text_colour;
    *background = record.back_colour;
  });
}

bool WindRose::SetSeriesValue(int axis, double raw_value, int series) {
  return OnValue(this, axis, series, [&](SeriesValue& stored, const AxisRecord& scale) {
    // A reading that is not a number would reach the drawing as a NaN radius and the log as
    // "nan"; refuse it and leave the previous value in place.
    if (!std::isfinite(raw_value)) return Fail(ChartError::kValueOutOfRange);
    const double value = DisplayValue(raw_value, scale.multiplier, scale.inverse, scale.max_value);
    if (!std::isfinite(value)) return Fail(ChartError::kValueOutOfRange);
    stored.value = value;
    stored.state = value > scale.critical_value ? ValueState::kCritical : ValueState::kNormal;
    return Succeed();
  });
}

bool WindRose::GetSeriesValue(int axis, double* value, int series) const {
  return OnValue(this, axis, series,
                 [&](const SeriesValue& stored, const AxisRecord&) { *value = stored.value; });
}

bool WindRose::GetValueState(int axis, ValueState* state, int series) const {
  return OnValue(this, axis, series,
                 [&](const SeriesValue& stored, const AxisRecord&) { *state = stored.state; });
}

bool WindRose::SetValueState(int axis, ValueState state, int series) {
  return OnValue(this, axis, series, [&](SeriesValue& stored, const AxisRecord& scale) {
    if (!KnownValueState(state)) return Fail(ChartError::kValueOutOfRange);
    stored.state = state;
    // On an inverse axis a missing reading would otherwise sit at max minus 0, the outer edge.
    if (state == ValueState::kNotAvailable && scale.inverse) stored.value = 0.0;
    return Succeed();
  });
}

std::span<const Point> WindRose::GetSeriesPoints(int series) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return {};
  return std::span<const Point>(series_[static_cast<std::size_t>(series)].points)
      .first(axes_.size() + 1);
}

}  // namespace corvane::chart
