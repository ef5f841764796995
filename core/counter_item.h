// CounterItem: the counter path an engine axis carries as its chart item. The chart owns the
// item once it has been given it and releases it through the engine's FreeItem. The path is
// read and replaced only under the chart's lock.
#pragma once

#include <string>
#include <utility>

#include "chart/axis_item.h"

namespace corvane {

class CounterItem final : public chart::AxisItem {
 public:
  explicit CounterItem(std::string path) : path_(std::move(path)) {}

  // "\\machine\Object(instance)\Counter"; empty when the profile gave none.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The path an axis item holds, or nullptr when the item is not a counter path.
inline const std::string* CounterPathOf(const chart::AxisItem* item) {
  const auto* counter = dynamic_cast<const CounterItem*>(item);
  return counter == nullptr ? nullptr : &counter->path();
}

}  // namespace corvane
