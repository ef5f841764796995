// Helpers for the chart tests: items that count how often they are freed, and a chart that
// deletes its items and lets a test set the drawing radius. Test thread only.
#pragma once

#include <map>

#include "chart/wind_rose.h"

namespace corvane::chart::testing_support {

// An item with a number, so a test can tell which ones were freed.
class NumberedItem : public AxisItem {
 public:
  explicit NumberedItem(int number) : number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

// Owns its items as an owner of the chart would: FreeItem deletes them, and the destructor
// drops the axes first because the base destructor cannot reach this FreeItem.
class TestRose : public WindRose {
 public:
  explicit TestRose(int axis_capacity = 32, int series_capacity = 4)
      : WindRose(axis_capacity, series_capacity) {}
  ~TestRose() override { RemoveAllAxes(); }

  void FreeItem(AxisItem* item) override {
    if (item == nullptr) {
      ++null_frees;
      return;
    }
    ++frees[static_cast<NumberedItem*>(item)->number()];
    delete item;
  }

  using WindRose::GetChartRadius;
  using WindRose::SetChartRadius;

  std::map<int, int> frees;  // item number -> FreeItem calls
  int null_frees = 0;        // FreeItem calls for axes without an item
};

// Adds an axis named "axis" with an empty description; the test asserts on the result.
inline bool AddPlainAxis(WindRose& chart, double min_value, double max_value, double critical_value,
                         double multiplier = 1.0, bool inverse = false, AxisItem* item = nullptr) {
  return chart.AddAxis("axis", "", inverse, min_value, max_value, critical_value, multiplier, item);
}

}  // namespace corvane::chart::testing_support
