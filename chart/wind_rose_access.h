// The accessor helpers of WindRose (declared in chart/wind_rose.h), for the wind_rose*.cpp files
// only: the lock, the index check and the outcome every per-axis, per-series and per-value
// accessor shares.
#pragma once

#include <cstddef>
#include <type_traits>

#include "chart/display_value.h"
#include "chart/wind_rose.h"

namespace corvane::chart {
template <typename Self, typename Body, typename... Records>
bool WindRose::Finish(Self* self, Body& body, Records&... records) {
  if constexpr (std::is_void_v<std::invoke_result_t<Body&, Records&...>>) {
    body(records...);
    return self->Succeed();
  } else {
    return body(records...);
  }
}

template <typename Self, typename Body>
bool WindRose::OnAxis(Self* self, int index, Body body) {
  Guard guard(self->lock_);
  if (!self->AxisExists(index)) return self->Fail(ChartError::kIndexOutOfRange);
  return Finish(self, body, self->axes_[static_cast<std::size_t>(index)]);
}

template <typename Self, typename Body>
bool WindRose::OnSeries(Self* self, int series, Body body) {
  Guard guard(self->lock_);
  if (!self->SeriesExists(series)) return self->Fail(ChartError::kIndexOutOfRange);
  return Finish(self, body, self->series_[static_cast<std::size_t>(series)]);
}

template <typename Self, typename Body>
bool WindRose::OnValue(Self* self, int axis, int series, Body body) {
  Guard guard(self->lock_);
  if (!self->AxisExists(axis) || !self->SeriesExists(series))
    return self->Fail(ChartError::kIndexOutOfRange);
  const auto a = static_cast<std::size_t>(axis);
  return Finish(self, body, self->series_[static_cast<std::size_t>(series)].values[a],
                self->axes_[a]);
}

}  // namespace corvane::chart
