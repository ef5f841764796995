#include "desktop/counters/counter_fields.h"

#include <QLocale>
#include <QtGlobal>
#include <cmath>

#include "platform/qt/number_text.h"

namespace corvane::desktop {
namespace {

// The counters dialog shows these through its own tr(), so they carry its context.
const char kNotANumber[] =
    QT_TRANSLATE_NOOP("corvane::desktop::CCountersDlg", "Please enter a number.");
const char kNegative[] = QT_TRANSLATE_NOOP("corvane::desktop::CCountersDlg",
                                           "All range values must be positive numbers.");
const char kMaxBelowMin[] = QT_TRANSLATE_NOOP("corvane::desktop::CCountersDlg",
                                              "Maximal value should be more than minimal value.");
const char kCriticalOutside[] =
    QT_TRANSLATE_NOOP("corvane::desktop::CCountersDlg",
                      "Critical value should be in between of minimal and maximal values.");

// The text as a finite number, or the shown value itself while the text still shows it.
std::optional<double> ReadNumber(const QString& text, double shown) {
  if (text == qt::FieldNumberText(shown)) return shown;
  bool ok = false;
  const double parsed = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(parsed)) return std::nullopt;
  return parsed;
}

FieldCheck Fault(CounterField field, const char* message) {
  return FieldCheck{FieldFault{field, message}, {}};
}

}  // namespace

FieldCheck CheckCounterFields(const CounterFieldTexts& texts, const CounterEntry& shown) {
  const std::optional<double> min = ReadNumber(texts.min, shown.min);
  if (!min) return Fault(CounterField::kMin, kNotANumber);
  if (*min < 0) return Fault(CounterField::kMin, kNegative);
  const std::optional<double> max = ReadNumber(texts.max, shown.max);
  if (!max) return Fault(CounterField::kMax, kNotANumber);
  if (*max < 0) return Fault(CounterField::kMax, kNegative);
  if (*max < *min) return Fault(CounterField::kMax, kMaxBelowMin);
  const std::optional<double> critical = ReadNumber(texts.critical, shown.critical);
  if (!critical) return Fault(CounterField::kCritical, kNotANumber);
  if (*critical < 0) return Fault(CounterField::kCritical, kNegative);
  if (*critical < *min || *critical > *max) return Fault(CounterField::kCritical, kCriticalOutside);
  const std::optional<double> scale = ReadNumber(texts.scale, shown.multiplier);
  if (!scale) return Fault(CounterField::kScale, kNotANumber);
  if (*scale <= 0) return Fault(CounterField::kScale, kNegative);

  FieldCheck check;
  check.values.path = shown.path;
  check.values.label = texts.label.toStdString();
  check.values.min = *min;
  check.values.max = *max;
  check.values.critical = *critical;
  check.values.multiplier = *scale;
  check.values.inverse = texts.inverse;
  return check;
}

}  // namespace corvane::desktop
