#include "chart/wind_rose.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

namespace corvane::chart {
namespace {

bool KnownPenStyle(PenStyle style) {
  const auto n = static_cast<std::int32_t>(style);
  return n >= static_cast<std::int32_t>(PenStyle::kSolid) &&
         n <= static_cast<std::int32_t>(PenStyle::kInsideFrame);
}

bool KnownValueState(ValueState state) {
  const auto n = static_cast<std::int32_t>(state);
  return n >= static_cast<std::int32_t>(ValueState::kNormal) &&
         n <= static_cast<std::int32_t>(ValueState::kNotAvailable);
}

// A zero divisor in the scale formulas counts as 1, so an axis whose max (or critical value)
// is 0 still draws instead of dividing by zero.
double DivisorOrOne(double divisor) { return divisor == 0.0 ? 1.0 : divisor; }

}  // namespace

WindRose::WindRose(int axis_capacity, int series_capacity) {
  if (axis_capacity < 0) {
    axis_capacity = kDefaultAxisCapacity;
    last_error_ = ChartError::kIndexOutOfRange;
  }
  if (series_capacity < 0) {
    series_capacity = kDefaultSeriesCapacity;
    last_error_ = ChartError::kIndexOutOfRange;
  }
  try {
    axes_.reserve(static_cast<std::size_t>(axis_capacity));
    series_.reserve(static_cast<std::size_t>(series_capacity));
    axis_capacity_ = axis_capacity;
    series_capacity_ = series_capacity;
  } catch (const std::bad_alloc&) {
    last_error_ = ChartError::kOutOfMemory;
  } catch (const std::length_error&) {
    last_error_ = ChartError::kOutOfMemory;
  }
}

WindRose::~WindRose() = default;

// ---- Hooks. ----

bool WindRose::WriteItem(ProfileWriter& /*file*/, const AxisItem& /*item*/) const { return true; }

bool WindRose::WriteSettings(ProfileWriter& /*file*/) const { return true; }

bool WindRose::WriteHeader(ProfileWriter& file) const {
  return file.WriteLine("") && file.WriteLine("# WINDROSE CONFIGURATION FILE. DO NOT EDIT!") &&
         file.WriteLine("");
}

AxisItem* WindRose::ReadItem(std::string_view /*key*/, std::string_view /*value*/) {
  return nullptr;
}

void WindRose::ReadSetting(std::string_view /*key*/, std::string_view /*value*/) {}

void WindRose::FreeItem(AxisItem* /*item*/) {}

// ---- Error bookkeeping. ----

bool WindRose::Succeed() const {
  last_error_ = ChartError::kNone;
  return true;
}

bool WindRose::Fail(ChartError error) const {
  last_error_ = error;
  return false;
}

bool WindRose::AxisExists(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < axes_.size();
}

bool WindRose::SeriesExists(int series) const {
  return series >= 0 && static_cast<std::size_t>(series) < series_.size();
}

// ---- Axes. ----

bool WindRose::AddAxis(Text name, Text description, bool inverse, double min_value,
                       double max_value, double critical_value, double multiplier, AxisItem* item) {
  Guard guard(lock_);
  if (axes_.size() >= static_cast<std::size_t>(axis_capacity_)) return Fail(ChartError::kNoRoom);
  if (!std::isfinite(min_value) || !std::isfinite(max_value) || !std::isfinite(critical_value) ||
      !std::isfinite(multiplier)) {
    return Fail(ChartError::kValueOutOfRange);
  }
  if (min_value > max_value || critical_value > max_value || min_value > critical_value) {
    return Fail(ChartError::kValueOutOfRange);
  }
  if (!name || !description) return Fail(ChartError::kTextMissing);
  try {
    AxisRecord axis;
    axis.name.emplace(*name);
    axis.description.emplace(*description);
    axis.min_value = min_value;
    axis.max_value = max_value;
    axis.critical_value = critical_value;
    axis.multiplier = multiplier;
    axis.inverse = inverse;
    axis.item = item;
    axes_.push_back(std::move(axis));  // within the reserved capacity: does not reallocate
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  }
  modified_ = true;
  return Succeed();
}

WindRose::AxisRecord* WindRose::AppendBlankAxis() {
  Guard guard(lock_);
  if (axes_.size() >= static_cast<std::size_t>(axis_capacity_)) return nullptr;
  axes_.emplace_back();
  modified_ = true;
  return &axes_.back();
}

bool WindRose::RemoveAllAxes() {
  Guard guard(lock_);
  for (std::size_t a = 0; a < axes_.size(); ++a) {
    AxisItem* item = std::exchange(axes_[a].item, nullptr);
    FreeItem(item);
    for (SeriesRecord& series : series_) series.values[a].value = 0.0;
  }
  axes_.clear();
  modified_ = true;
  return Succeed();
}

int WindRose::GetAxisCount() const {
  Guard guard(lock_);
  return static_cast<int>(axes_.size());
}

int WindRose::GetAxisCapacity() const {
  Guard guard(lock_);
  return axis_capacity_;
}

bool WindRose::GetAxisName(int index, Text* name) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  const auto& stored = axes_[static_cast<std::size_t>(index)].name;
  *name = stored ? Text(*stored) : std::nullopt;
  return Succeed();
}

bool WindRose::GetAxisDescription(int index, Text* description) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  const auto& stored = axes_[static_cast<std::size_t>(index)].description;
  *description = stored ? Text(*stored) : std::nullopt;
  return Succeed();
}

bool WindRose::GetAxisItem(int index, AxisItem** item) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *item = axes_[static_cast<std::size_t>(index)].item;
  return Succeed();
}

bool WindRose::SetAxisName(int index, Text name) {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  if (!name) return Fail(ChartError::kTextMissing);
  auto& stored = axes_[static_cast<std::size_t>(index)].name;
  if (stored && *stored == *name) return Succeed();
  try {
    std::string copy(*name);  // copy first so a failure keeps the old name
    stored = std::move(copy);
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  }
  modified_ = true;
  return Succeed();
}

bool WindRose::SetAxisItem(int index, AxisItem* item) {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  AxisRecord& axis = axes_[static_cast<std::size_t>(index)];
  if (axis.item != item) {
    AxisItem* old = std::exchange(axis.item, item);
    FreeItem(old);
    modified_ = true;
  }
  return Succeed();
}

bool WindRose::GetAxisMin(int index, double* value) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *value = axes_[static_cast<std::size_t>(index)].min_value;
  return Succeed();
}

bool WindRose::GetAxisMax(int index, double* value) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *value = axes_[static_cast<std::size_t>(index)].max_value;
  return Succeed();
}

bool WindRose::GetAxisCritical(int index, double* value) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *value = axes_[static_cast<std::size_t>(index)].critical_value;
  return Succeed();
}

bool WindRose::GetAxisMultiplier(int index, double* value) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *value = axes_[static_cast<std::size_t>(index)].multiplier;
  return Succeed();
}

bool WindRose::GetAxisInverse(int index, bool* inverse) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  *inverse = axes_[static_cast<std::size_t>(index)].inverse;
  return Succeed();
}

template <typename Check>
bool WindRose::SetAxisScale(int index, double value, double AxisRecord::*field, Check valid) {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  AxisRecord& axis = axes_[static_cast<std::size_t>(index)];
  if (!std::isfinite(value) || !valid(axis)) return Fail(ChartError::kValueOutOfRange);
  if (axis.*field != value) {
    axis.*field = value;
    modified_ = true;
  }
  return Succeed();
}

bool WindRose::SetAxisMin(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::min_value, [value](const AxisRecord& axis) {
    return !(value > axis.max_value || value > axis.critical_value);
  });
}

bool WindRose::SetAxisMax(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::max_value, [value](const AxisRecord& axis) {
    return !(value < axis.min_value || value < axis.critical_value);
  });
}

bool WindRose::SetAxisCritical(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::critical_value, [value](const AxisRecord& axis) {
    return !(value > axis.max_value || value < axis.min_value);
  });
}

bool WindRose::SetAxisMultiplier(int index, double value) {
  return SetAxisScale(index, value, &AxisRecord::multiplier,
                      [value](const AxisRecord&) { return value != 0.0; });
}

bool WindRose::SetAxisInverse(int index, bool inverse) {
  Guard guard(lock_);
  if (!AxisExists(index)) return Fail(ChartError::kIndexOutOfRange);
  AxisRecord& axis = axes_[static_cast<std::size_t>(index)];
  if (axis.inverse == inverse) return Succeed();
  axis.inverse = inverse;
  modified_ = true;
  // The stored values were mirrored for the old direction; mirror them for the new one so the
  // chart does not show stale inverted readings until the next sample.
  for (SeriesRecord& series : series_) {
    SeriesValue& stored = series.values[static_cast<std::size_t>(index)];
    if (stored.state != ValueState::kNotAvailable && stored.value < axis.max_value) {
      stored.value = axis.max_value - stored.value;
    } else {
      stored.value = 0.0;
    }
  }
  return Succeed();
}

std::string_view WindRose::GetAxisLabel(int index) const {
  Guard guard(lock_);
  if (!AxisExists(index)) return {};
  return axes_[static_cast<std::size_t>(index)].label.View();
}

// ---- Series and values. ----

bool WindRose::AddSeries(Text name, Text description) {
  Guard guard(lock_);
  if (series_.size() >= static_cast<std::size_t>(series_capacity_)) {
    return Fail(ChartError::kNoRoom);
  }
  if (!name || !description) return Fail(ChartError::kTextMissing);
  try {
    SeriesRecord series;
    series.name.assign(*name);
    series.description.assign(*description);
    series.values.resize(static_cast<std::size_t>(axis_capacity_));
    series.points.resize(static_cast<std::size_t>(axis_capacity_) + 1);
    series_.push_back(std::move(series));  // within the reserved capacity
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  } catch (const std::length_error&) {
    return Fail(ChartError::kOutOfMemory);
  }
  modified_ = true;
  return Succeed();
}

bool WindRose::RemoveAllSeries() {
  Guard guard(lock_);
  series_.clear();
  modified_ = true;
  return Succeed();
}

int WindRose::GetSeriesCount() const {
  Guard guard(lock_);
  return static_cast<int>(series_.size());
}

int WindRose::GetSeriesCapacity() const {
  Guard guard(lock_);
  return series_capacity_;
}

bool WindRose::GetSeriesName(int series, std::string_view* name) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *name = series_[static_cast<std::size_t>(series)].name;
  return Succeed();
}

bool WindRose::GetSeriesDescription(int series, std::string_view* description) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *description = series_[static_cast<std::size_t>(series)].description;
  return Succeed();
}

bool WindRose::SetSeriesVisible(int series, bool visible) {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  series_[static_cast<std::size_t>(series)].visible = visible;
  return Succeed();
}

bool WindRose::GetSeriesVisible(int series, bool* visible) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *visible = series_[static_cast<std::size_t>(series)].visible;
  return Succeed();
}

bool WindRose::SetPen(std::optional<Pen>* pen, PenStyle style, int width, Colour colour) {
  if (!KnownPenStyle(style) || width < 0) return Fail(ChartError::kPenCreation);
  *pen = Pen{style, width, colour};
  return Succeed();
}

bool WindRose::SetSeriesPen(int series, PenStyle style, int width, Colour colour) {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  return SetPen(&series_[static_cast<std::size_t>(series)].pen, style, width, colour);
}

bool WindRose::GetSeriesPen(int series, std::optional<Pen>* pen) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *pen = series_[static_cast<std::size_t>(series)].pen;
  return Succeed();
}

bool WindRose::SetSeriesTextColors(int series, Colour text, Colour background) {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  SeriesRecord& record = series_[static_cast<std::size_t>(series)];
  record.text_colour = text;
  record.back_colour = background;
  return Succeed();
}

bool WindRose::GetSeriesTextColors(int series, Colour* text, Colour* background) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  const SeriesRecord& record = series_[static_cast<std::size_t>(series)];
  *text = record.text_colour;
  *background = record.back_colour;
  return Succeed();
}

bool WindRose::SetSeriesValue(int axis, double raw_value, int series) {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  // A reading that is not a number would reach the drawing as a NaN radius and the log as
  // "nan"; refuse it and leave the previous value in place.
  if (!std::isfinite(raw_value)) return Fail(ChartError::kValueOutOfRange);
  const AxisRecord& scale = axes_[static_cast<std::size_t>(axis)];
  // A profile may carry Multiplier=0, which the setters refuse but the reader does not.
  double value = raw_value / DivisorOrOne(scale.multiplier);
  if (scale.inverse) value = value < scale.max_value ? scale.max_value - value : 0.0;
  if (!std::isfinite(value)) return Fail(ChartError::kValueOutOfRange);

  SeriesValue& stored =
      series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)];
  stored.value = value;
  stored.state = value > scale.critical_value ? ValueState::kCritical : ValueState::kNormal;
  return Succeed();
}

bool WindRose::GetSeriesValue(int axis, double* value, int series) const {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *value = series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)].value;
  return Succeed();
}

bool WindRose::GetValueState(int axis, ValueState* state, int series) const {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  *state = series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)].state;
  return Succeed();
}

bool WindRose::SetValueState(int axis, ValueState state, int series) {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return Fail(ChartError::kIndexOutOfRange);
  if (!KnownValueState(state)) return Fail(ChartError::kValueOutOfRange);
  SeriesValue& stored =
      series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)];
  stored.state = state;
  // On an inverse axis a missing reading would otherwise sit at max minus 0, the outer edge.
  if (state == ValueState::kNotAvailable && axes_[static_cast<std::size_t>(axis)].inverse) {
    stored.value = 0.0;
  }
  return Succeed();
}

std::span<const Point> WindRose::GetSeriesPoints(int series) const {
  Guard guard(lock_);
  if (!SeriesExists(series)) return {};
  return std::span<const Point>(series_[static_cast<std::size_t>(series)].points)
      .first(axes_.size() + 1);
}

// ---- Display settings. ----

bool WindRose::SetPercent(int* setting, int percent) {
  if (percent < 0 || percent > 100) return Fail(ChartError::kPercentOutOfRange);
  if (*setting != percent) {
    *setting = percent;
    modified_ = true;
  }
  return Succeed();
}

void WindRose::SetFlag(int* setting, int value) {
  if (*setting != value) {
    *setting = value;
    modified_ = true;
  }
}

int WindRose::GetGridStep() const {
  Guard guard(lock_);
  return grid_step_;
}

bool WindRose::SetGridStep(int percent) {
  Guard guard(lock_);
  return SetPercent(&grid_step_, percent);
}

int WindRose::GetCriticalBorder() const {
  Guard guard(lock_);
  return critical_border_;
}

bool WindRose::SetCriticalBorder(int percent) {
  Guard guard(lock_);
  return SetPercent(&critical_border_, percent);
}

int WindRose::GetShowNames() const {
  Guard guard(lock_);
  return show_names_;
}

void WindRose::SetShowNames(int show) {
  Guard guard(lock_);
  SetFlag(&show_names_, show);
}

int WindRose::GetShowNumbers() const {
  Guard guard(lock_);
  return show_numbers_;
}

void WindRose::SetShowNumbers(int show) {
  Guard guard(lock_);
  SetFlag(&show_numbers_, show);
}

int WindRose::GetShowValues() const {
  Guard guard(lock_);
  return show_values_;
}

void WindRose::SetShowValues(int show) {
  Guard guard(lock_);
  SetFlag(&show_values_, show);
}

int WindRose::GetLabelTrunc() const {
  Guard guard(lock_);
  return label_trunc_;
}

void WindRose::SetLabelTrunc(int mode) {
  Guard guard(lock_);
  SetFlag(&label_trunc_, mode);
}

void WindRose::ResetDiagramSettings() {
  Guard guard(lock_);
  grid_step_ = kDefaultGridStep;
  critical_border_ = kDefaultCriticalBorder;
  show_names_ = kDefaultShowNames;
  show_numbers_ = kDefaultShowNumbers;
  show_values_ = kDefaultShowValues;
  label_trunc_ = kDefaultLabelTrunc;
}

bool WindRose::SetAxisPen(PenStyle style, int width, Colour colour) {
  Guard guard(lock_);
  return SetPen(&axis_pen_, style, width, colour);
}

bool WindRose::SetGridPen(PenStyle style, int width, Colour colour) {
  Guard guard(lock_);
  return SetPen(&grid_pen_, style, width, colour);
}

bool WindRose::SetCriticalPen(PenStyle style, int width, Colour colour) {
  Guard guard(lock_);
  return SetPen(&critical_pen_, style, width, colour);
}

std::optional<Pen> WindRose::GetAxisPen() const {
  Guard guard(lock_);
  return axis_pen_;
}

std::optional<Pen> WindRose::GetGridPen() const {
  Guard guard(lock_);
  return grid_pen_;
}

std::optional<Pen> WindRose::GetCriticalPen() const {
  Guard guard(lock_);
  return critical_pen_;
}

bool WindRose::SetFont(const std::optional<FontSpec>& font) {
  Guard guard(lock_);
  if (!font) return Fail(ChartError::kTextMissing);
  if (font->height < 0) return Fail(ChartError::kFontCreation);
  try {
    FontSpec copy = *font;  // copy first so a failure keeps the old font
    font_ = std::move(copy);
  } catch (const std::bad_alloc&) {
    return Fail(ChartError::kOutOfMemory);
  }
  return Succeed();
}

const FontSpec* WindRose::GetFont() const {
  Guard guard(lock_);
  return font_ ? &*font_ : nullptr;
}

bool WindRose::SetTextColors(Colour text, Colour background) {
  Guard guard(lock_);
  text_colour_ = text;
  back_colour_ = background;
  return Succeed();
}

Colour WindRose::GetTextColor() const {
  Guard guard(lock_);
  return text_colour_;
}

Colour WindRose::GetBackColor() const {
  Guard guard(lock_);
  return back_colour_;
}

// ---- Housekeeping. ----

void WindRose::Lock() const { lock_.lock(); }

void WindRose::Unlock() const { lock_.unlock(); }

ChartError WindRose::GetLastErrorCode() const {
  Guard guard(lock_);
  return last_error_;
}

bool WindRose::IsModified() const {
  Guard guard(lock_);
  return modified_;
}

void WindRose::SetModified(bool modified) {
  Guard guard(lock_);
  modified_ = modified;
}

// ---- Scaling. ----

void WindRose::SetChartRadius(int radius) {
  Guard guard(lock_);
  radius_ = radius;
}

int WindRose::GetChartRadius() const {
  Guard guard(lock_);
  return radius_;
}

double WindRose::Radius(int axis, int series) const {
  Guard guard(lock_);
  if (!AxisExists(axis) || !SeriesExists(series)) return 0.0;
  const AxisRecord& scale = axes_[static_cast<std::size_t>(axis)];
  const double v =
      series_[static_cast<std::size_t>(series)].values[static_cast<std::size_t>(axis)].value;
  const double r_full = radius_;           // pixels
  const double border = critical_border_;  // percent
  const double c = scale.critical_value;
  const double m = scale.max_value;

  double r = 0.0;
  if (critical_border_ == 0) {
    r = v * r_full / DivisorOrOne(m);
  } else if (v <= c) {
    r = v * (r_full * border / 100.0) / DivisorOrOne(c);
  } else {
    const double outer = c >= m ? 1.0 : m - c;
    r = r_full * ((100.0 - border) / 100.0 * (v - c) / outer + border / 100.0);
  }
  if (r > r_full) r = r_full;
  // Only a NaN scale (which no setter lets in) could get here; the drawing cannot place it.
  if (std::isnan(r)) r = 0.0;
  return r;
}

}  // namespace corvane::chart
