// The chart's error codes, read with WindRose::GetLastErrorCode after an operation returned
// false. The numbers are part of the chart's contract (0..8) and never change. Any thread.
#pragma once

#include <cstdint>

namespace corvane::chart {

enum class ChartError : std::int32_t {
  kNone = 0,
  kIndexOutOfRange = 1,  // also: a negative capacity at construction
  kOutOfMemory = 2,
  kNoRoom = 3,             // axis or series capacity reached
  kValueOutOfRange = 4,    // scale order, zero multiplier, a value that is not a number
  kTextMissing = 5,        // a required name, description or font is missing
  kPercentOutOfRange = 6,  // a percentage above 100 or negative
  kPenCreation = 7,
  kFontCreation = 8,
};

}  // namespace corvane::chart
