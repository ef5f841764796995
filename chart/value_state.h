// The state of one stored series value. The numbers are those the activity log and the
// profile-facing code rely on. Any thread.
#pragma once

#include <cstdint>

namespace corvane::chart {

enum class ValueState : std::int32_t {
  kNormal = 0,
  kCritical = 1,      // the stored value lies strictly above the axis's critical value
  kNotAvailable = 2,  // no reading; drawn at the centre and labelled "N/A"
};

}  // namespace corvane::chart
