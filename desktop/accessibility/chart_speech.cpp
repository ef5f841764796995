#include "desktop/accessibility/chart_speech.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/qt/number_text.h"

namespace corvane::desktop {
namespace {

// The spoken words, each marked where it is used in the ChartSpeech context.
QString Tr(const char* text) { return QCoreApplication::translate("ChartSpeech", text); }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The counter part of "\\machine\Object(instance)\Counter".
std::string_view CounterName(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The byte unit a multiplier turns bytes into; empty when it is no power of 1024 we name.
const char* ByteUnit(double multiplier) {
  if (multiplier == 1.0) return "bytes";
  if (multiplier == 1024.0) return "KB";
  if (multiplier == 1024.0 * 1024.0) return "MB";
  if (multiplier == 1024.0 * 1024.0 * 1024.0) return "GB";
  return nullptr;
}

QString Scaled(const QString& unit, double multiplier) {
  if (multiplier == 1.0 || multiplier == 0.0) return unit;
  const QString factor = QStringLiteral("× ") + QString::number(multiplier, 'g', 12);
  return unit.isEmpty() ? factor : factor + QLatin1Char(' ') + unit;
}

constexpr std::int64_t kNotAvailableMark = std::numeric_limits<std::int64_t>::min();

// Hundredths, as the chart's two decimals show them; huge values are clamped.
std::int64_t Hundredths(double value) {
  const double scaled = std::round(value * 100.0);
  if (!(scaled > -9.0e18)) return kNotAvailableMark + 1;
  if (scaled > 9.0e18) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(scaled);
}

struct SeriesReading {
  double value = 0.0;
  chart::ValueState state = chart::ValueState::kNotAvailable;
};

SeriesReading Read(const Corvane& engine, int index, int series) {
  SeriesReading reading;
  if (!engine.GetSeriesValue(index, &reading.value, series) ||
      !engine.GetValueState(index, &reading.state, series)) {
    reading.state = chart::ValueState::kNotAvailable;
  }
  return reading;
}

QString Spoken(const SeriesReading& reading, const QString& unit) {
  if (reading.state == chart::ValueState::kNotAvailable)
    return Tr(QT_TRANSLATE_NOOP("ChartSpeech", "not available"));
  return SpokenNumber(reading.value, unit);
}

}  // namespace

QString AxisUnit(std::string_view counter_path, std::string_view axis_name, double multiplier) {
  const std::string_view counter = CounterName(counter_path);
  const std::string_view basis = counter.empty() ? axis_name : counter;
  if (StartsWith(basis, "%")) return Scaled(QStringLiteral("%"), multiplier);
  const bool rate = EndsWith(basis, "/sec") || EndsWith(basis, "/s");
  if (counter.empty() && EndsWith(axis_name, "KB/s")) return QStringLiteral("KB/s");
  if (Contains(basis, "Bytes") || Contains(basis, "bytes")) {
    if (const char* unit = ByteUnit(multiplier)) {
      if (!rate) return QString::fromLatin1(unit);
      return multiplier == 1.0 ? QStringLiteral("B/s") : QString::fromLatin1(unit) + "/s";
    }
  }
  return Scaled(rate ? Tr(QT_TRANSLATE_NOOP("ChartSpeech", "per second")) : QString(), multiplier);
}

QString SpokenNumber(double value, const QString& unit) {
  const QString number = qt::ValueText(value);
  if (unit.isEmpty()) return number;
  if (unit == QLatin1String("%")) return number + unit;
  return number + QLatin1Char(' ') + unit;
}

AxisSpeech ReadAxis(const Corvane& engine, int index) {
  chart::ChartLock lock(engine);
  AxisSpeech speech;
  if (index < 0 || index >= engine.GetAxisCount()) return speech;
  chart::Text name;
  engine.GetAxisName(index, &name);
  const std::string_view axis_name = name ? *name : std::string_view();
  chart::AxisItem* item = nullptr;
  engine.GetAxisItem(index, &item);
  const std::string* path = CounterPathOf(item);
  double multiplier = 1.0;
  double critical_value = 0.0;
  engine.GetAxisMultiplier(index, &multiplier);
  engine.GetAxisCritical(index, &critical_value);
  engine.GetAxisMin(index, &speech.minimum);
  engine.GetAxisMax(index, &speech.maximum);
  const QString unit =
      AxisUnit(path ? std::string_view(*path) : std::string_view(), axis_name, multiplier);

  speech.name = QString::fromUtf8(axis_name.data(), static_cast<qsizetype>(axis_name.size()));
  if (engine.GetShowNumbers() != 0)
    speech.name = QStringLiteral("%1: ").arg(index + 1) + speech.name;

  const SeriesReading current = Read(engine, index, Corvane::kCurrentSeries);
  speech.available = current.state != chart::ValueState::kNotAvailable;
  speech.critical = current.state == chart::ValueState::kCritical;
  speech.current = speech.available ? current.value : 0.0;
  speech.description = Spoken(current, unit);
  if (speech.critical) speech.description += Tr(QT_TRANSLATE_NOOP("ChartSpeech", ", critical"));
  speech.description += Tr(QT_TRANSLATE_NOOP("ChartSpeech", ", average ")) +
                        Spoken(Read(engine, index, Corvane::kAverageSeries), unit);
  speech.description += Tr(QT_TRANSLATE_NOOP("ChartSpeech", ", maximum ")) +
                        Spoken(Read(engine, index, Corvane::kMaxSeries), unit);
  speech.description += Tr(QT_TRANSLATE_NOOP("ChartSpeech", ", critical value ")) +
                        SpokenNumber(critical_value, unit);
  return speech;
}

AxisFingerprint FingerprintOf(const Corvane& engine, int index) {
  chart::ChartLock lock(engine);
  AxisFingerprint print;
  const auto mark = [&](int series) {
    const SeriesReading reading = Read(engine, index, series);
    if (series == Corvane::kCurrentSeries) print.state = reading.state;
    return reading.state == chart::ValueState::kNotAvailable ? kNotAvailableMark
                                                             : Hundredths(reading.value);
  };
  print.current = mark(Corvane::kCurrentSeries);
  print.average = mark(Corvane::kAverageSeries);
  print.maximum = mark(Corvane::kMaxSeries);
  return print;
}

}  // namespace corvane::desktop
