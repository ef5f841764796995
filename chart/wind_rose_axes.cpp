// WindRose's axes: adding and removing them, their texts, item, scale and direction.
#include <cmath>
#include <new>
#include <string>
#include <utility>

#include "chart/wind_rose.h"
#include "chart/wind_rose_access.h"

namespace corvane::chart {

bool WindRose::AddAxis(Text name, Text description, bool inverse, double min_value,
                       double max_value, double critical_value, double multiplier, AxisItem* item) {
  Guard guard(lock_);
  if (axes_.size() >= static_cast<std::size_t>(axis_capacity_)) return Fail(ChartError::kNoRoom);
  if (!std::isfinite(min_value) || !std::isfinite(max_value) || !std::isfinite(critical_value) ||
      !std::isfinite(multiplier)) {
    return Fail(ChartError::kValueOutOfRange);
  }
  if (min_value > max_value || critical_value > max_value || min_value > critical_value) {
    return Fail(ChartError::kValueOutOfRange);
  }
  if (!name || !description) return Fail(ChartError::kTextMissing);
  try {
    AxisRecord axis;
    axis.name.emplace(*name);
    axis.description.emplace(*description);
    axis.min_value = min_value;
    axis.max_value = max_value;
    axis.critical_value = critical_value;
    axis.multiplier = multiplier;
    axis.inverse = inverse;
    axis.item = item;
    axes_.push_back(std::move(axis));  // within the reserved capacity: does not reallocate
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  }
  modified_ = true;
  return Succeed();
}

WindRose::AxisRecord* WindRose::AppendBlankAxis() {
  Guard guard(lock_);
  if (axes_.size() >= static_cast<std::size_t>(axis_capacity_)) return nullptr;
  axes_.emplace_back();
  modified_ = true;
  return &axes_.back();
}

bool WindRose::RemoveAllAxes() {
  Guard guard(lock_);
  for (std::size_t a = 0; a < axes_.size(); ++a) {
    AxisItem* item = std::exchange(axes_[a].item, nullptr);
    FreeItem(item);
    for (SeriesRecord& series : series_) series.values[a].value = 0.0;
  }
  axes_.clear();
  modified_ = true;
  return Succeed();
}

int WindRose::GetAxisCount() const {
  Guard guard(lock_);
  return static_cast<int>(axes_.size());
}

int WindRose::GetAxisCapacity() const { return Locked(axis_capacity_); }

bool WindRose::GetAxisName(int index, Text* name) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) {
    *name = axis.name ? Text(*axis.name) : std::nullopt;
  });
}

bool WindRose::GetAxisDescription(int index, Text* description) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) {
    *description = axis.description ? Text(*axis.description) : std::nullopt;
  });
}

bool WindRose::GetAxisItem(int index, AxisItem** item) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *item = axis.item; });
}

bool WindRose::SetAxisName(int index, Text name) {
  return OnAxis(this, index, [&](AxisRecord& axis) {
    if (!name) return Fail(ChartError::kTextMissing);
    if (axis.name && *axis.name == *name) return Succeed();
    try {
      std::string copy(*name);  // copy first so a failure keeps the old name
      axis.name = std::move(copy);
    } catch (const std::bad_alloc&) {
      return Fail(ChartError::kOutOfMemory);
    }
    modified_ = true;
    return Succeed();
  });
}

bool WindRose::SetAxisItem(int index, AxisItem* item) {
  return OnAxis(this, index, [&](AxisRecord& axis) {
    if (axis.item == item) return;
    AxisItem* old = std::exchange(axis.item, item);
    FreeItem(old);
    modified_ = true;
  });
}

bool WindRose::GetAxisMin(int index, double* value) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *value = axis.min_value; });
}

bool WindRose::GetAxisMax(int index, double* value) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *value = axis.max_value; });
}

bool WindRose::GetAxisCritical(int index, double* value) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *value = axis.critical_value; });
}

bool WindRose::GetAxisMultiplier(int index, double* value) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *value = axis.multiplier; });
}

bool WindRose::GetAxisInverse(int index, bool* inverse) const {
  return OnAxis(this, index, [&](const AxisRecord& axis) { *inverse = axis.inverse; });
}

template <typename Check>
bool WindRose::SetAxisScale(int index, double value, double AxisRecord::*field, Check valid) {
  return OnAxis(this, index, [&](AxisRecord& axis) {
    if (!std::isfinite(value) || !valid(axis)) return Fail(ChartError::kValueOutOfRange);
    if (axis.*field != value) {
      axis.*field = value;
      modified_ = true;
    }
    return Succeed();
  });
}

bool WindRose::SetAxisMin(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::min_value, [value](const AxisRecord& axis) {
    return !(value > axis.max_value || value > axis.critical_value);
  });
}

bool WindRose::SetAxisMax(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::max_value, [value](const AxisRecord& axis) {
    return !(value < axis.min_value || value < axis.critical_value);
  });
}

bool WindRose::SetAxisCritical(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::critical_value, [value](const AxisRecord& axis) {
    return !(value > axis.max_value || value < axis.min_value);
  });
}

bool WindRose::SetAxisMultiplier(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::multiplier,
                      [value](const AxisRecord&) { return value != 0.0; });
}

bool WindRose::SetAxisInverse(int index, bool inverse) {
  return OnAxis(this, index, [&](AxisRecord& axis) {
    if (axis.inverse == inverse) return;
    axis.inverse = inverse;
    modified_ = true;
    // The stored values were mirrored for the old direction; mirror them for the new one so
    // the chart does not show stale inverted readings until the next sample.
    for (SeriesRecord& series : series_) {
      SeriesValue& stored = series.values[static_cast<std::size_t>(index)];
      if (stored.state != ValueState::kNotAvailable && stored.value < axis.max_value) {
        stored.value = axis.max_value - stored.value;
      } else {
        stored.value = 0.0;
      }
    }
  });
}

std::string_view WindRose::GetAxisLabel(int index) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return {};
  return axes_[static_cast<std::size_t>(index)].label.View();
}

}  // namespace corvane::chart
