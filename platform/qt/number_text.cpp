#include "platform/qt/number_text.h"

#include <cstdint>
#include <limits>

namespace corvane::qt {

QString ValueText(double value) {
  if (value >= std::numeric_limits<std::int32_t>::min() &&
      value <= std::numeric_limits<std::int32_t>::max() &&
      value == static_cast<double>(static_cast<std::int32_t>(value))) {
    return QString::number(static_cast<std::int32_t>(value));
  }
  return QString::number(value, 'f', 2);
}

QString FieldNumberText(double value) { return QString::number(value, 'g', 15); }

}  // namespace corvane::qt
