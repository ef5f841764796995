#include "chart/chart_error.h"

namespace corvane::chart {

std::string_view ChartErrorText(ChartError error) {
  switch (error) {
    case ChartError::kNone:
      return "no error";
    case ChartError::kIndexOutOfRange:
      return "index out of range";
    case ChartError::kOutOfMemory:
      return "out of memory";
    case ChartError::kNoRoom:
      return "no room for another axis or series";
    case ChartError::kValueOutOfRange:
      return "value out of range";
    case ChartError::kTextMissing:
      return "required text missing";
    case ChartError::kPercentOutOfRange:
      return "percentage out of range";
    case ChartError::kPenCreation:
      return "pen cannot be created";
    case ChartError::kFontCreation:
      return "font cannot be created";
  }
  return "unknown chart error";
}

}  // namespace corvane::chart
