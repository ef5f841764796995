// The opaque payload an axis carries (the engine keeps a counter path there). The chart stores
// the pointer and hands it back; it never looks inside. Who deletes it is the business of the
// chart class's FreeItem hook, so the base type only needs a virtual destructor. Any thread;
// the chart touches items only while it holds its lock.
#pragma once

namespace corvane::chart {

class AxisItem {
 public:
  virtual ~AxisItem() = default;
};

}  // namespace corvane::chart
