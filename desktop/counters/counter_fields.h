// The rules the counters dialog checks the selected counter's fields by, as one function of
// the fields' texts: the first fault, in the order the fields are read (minimum, maximum,
// critical value, scale), or the values the texts give. Pure; any thread.
#pragma once

#include <QString>
#include <optional>

#include "desktop/counters/counter_working_copy.h"

namespace corvane::desktop {

// The fields that can hold a fault; the label takes any text.
enum class CounterField { kMin, kMax, kCritical, kScale };

// The selected counter's fields as they read now.
struct CounterFieldTexts {
  QString label;
  QString min;
  QString max;
  QString critical;
  QString scale;
  bool inverse = false;
};

struct FieldFault {
  CounterField field;
  // The text the user is shown, untranslated (marked for the counters dialog's context).
  const char* message;
};

// Either a fault or the values: `values` is meaningful only when `fault` is empty.
struct FieldCheck {
  std::optional<FieldFault> fault;
  CounterEntry values;
};

// Reads and checks the texts. `shown` holds the values the fields were last filled with: a
// field whose text is still the one its value was shown as keeps that value exactly, digits
// beyond those shown and all, so only an edit changes a value. The path of `shown` is kept.
// Numbers are read in the C locale with blanks around them allowed; infinities and NaN are
// not numbers. Minimum, maximum and critical value must not be below 0, the maximum not below
// the minimum, the critical value within [minimum, maximum]; the scale divides the readings,
// so it must be above 0.
FieldCheck CheckCounterFields(const CounterFieldTexts& texts, const CounterEntry& shown);

}  // namespace corvane::desktop
