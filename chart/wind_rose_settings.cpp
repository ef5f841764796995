// WindRose's display settings (grid step, critical border, the name, number and value flags,
// label truncation) and the chart's pens, font and text colours.
#include <cstdint>
#include <new>
#include <utility>

#include "chart/wind_rose.h"
#include "chart/wind_rose_access.h"

namespace corvane::chart {
namespace {

bool KnownPenStyle(PenStyle style) {
  const auto n = static_cast<std::int32_t>(style);
  return n >= static_cast<std::int32_t>(PenStyle::kSolid) &&
         n <= static_cast<std::int32_t>(PenStyle::kInsideFrame);
}

}  // namespace

bool WindRose::SetPercent(int* setting, int percent) {
  Guard guard(lock_);
  if (percent < 0 || percent > 100) return Fail(ChartError::kPercentOutOfRange);
  if (*setting != percent) {
    *setting = percent;
    modified_ = true;
  }
  return Succeed();
}

void WindRose::SetFlag(int* setting, int value) {
  Guard guard(lock_);
  if (*setting != value) {
    *setting = value;
    modified_ = true;
  }
}

bool WindRose::SetPen(std::optional<Pen>* pen, PenStyle style, int width, Colour colour) {
  Guard guard(lock_);
  if (!KnownPenStyle(style) || width < 0) return Fail(ChartError::kPenCreation);
  *pen = Pen{style, width, colour};
  return Succeed();
}

int WindRose::GetGridStep() const { return Locked(grid_step_); }

bool WindRose::SetGridStep(int percent) { return SetPercent(&grid_step_, percent); }

int WindRose::GetCriticalBorder() const { return Locked(critical_border_); }

bool WindRose::SetCriticalBorder(int percent) { return SetPercent(&critical_border_, percent); }

int WindRose::GetShowNames() const { return Locked(show_names_); }

void WindRose::SetShowNames(int show) { SetFlag(&show_names_, show); }

int WindRose::GetShowNumbers() const { return Locked(show_numbers_); }

void WindRose::SetShowNumbers(int show) { SetFlag(&show_numbers_, show); }

int WindRose::GetShowValues() const { return Locked(show_values_); }

void WindRose::SetShowValues(int show) { SetFlag(&show_values_, show); }

int WindRose::GetLabelTrunc() const { return Locked(label_trunc_); }

void WindRose::SetLabelTrunc(int mode) { SetFlag(&label_trunc_, mode); }

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
  return SetPen(&axis_pen_, style, width, colour);
}

bool WindRose::SetGridPen(PenStyle style, int width, Colour colour) {
  return SetPen(&grid_pen_, style, width, colour);
}

bool WindRose::SetCriticalPen(PenStyle style, int width, Colour colour) {
  return SetPen(&critical_pen_, style, width, colour);
}

std::optional<Pen> WindRose::GetAxisPen() const { return Locked(axis_pen_); }

std::optional<Pen> WindRose::GetGridPen() const { return Locked(grid_pen_); }

std::optional<Pen> WindRose::GetCriticalPen() const { return Locked(critical_pen_); }

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

Colour WindRose::GetTextColor() const { return Locked(text_colour_); }

Colour WindRose::GetBackColor() const { return Locked(back_colour_); }

}  // namespace corvane::chart
