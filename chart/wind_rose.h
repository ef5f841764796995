// WindRose: the polar chart model. Owns its axes (scale, texts, item, label), its value series
// (values and states per axis, pen, colours, polyline points), the six display settings, the
// chart's pens, font and colours, the drawing geometry of the last DrawChart and the chart's
// re-entrant lock.
//
// Threads: any thread. Every public operation takes the chart's lock for its own duration;
// Lock/Unlock (or ChartLock) hold it across a group of calls. Values that point into the
// chart (texts, font, label, points) stay valid only while the caller holds the lock and the
// item they come from is not changed.
//
// Errors: operations that return bool set the last error (GetLastErrorCode) to kNone on
// success and to the failure's code otherwise. A failed operation leaves the model as it was.
//
// Texts: a name or description that may be missing is passed as `Text`, where std::nullopt
// means missing (code kTextMissing) and an empty view is a present, empty text. Never build a
// Text from a null const char*.
//
// Where the bodies live: axes in chart/wind_rose_axes.cpp, series and values in
// chart/wind_rose_series.cpp, display settings, pens, font and colours in
// chart/wind_rose_settings.cpp, Save and Load in chart/wind_rose_profile.cpp, DrawChart in
// chart/wind_rose_draw.cpp, the rest in chart/wind_rose.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/axis_item.h"
#include "chart/axis_label.h"
#include "chart/chart_error.h"
#include "chart/drawing_style.h"
#include "chart/geometry.h"
#include "chart/profile_writer.h"
#include "chart/value_state.h"

namespace corvane::chart {

class DrawingSurface;

// A name or description: std::nullopt when missing.
using Text = std::optional<std::string_view>;

class WindRose {
 public:
  static constexpr int kDefaultAxisCapacity = 32;
  static constexpr int kDefaultSeriesCapacity = 4;

  // Display setting defaults, restored by ResetDiagramSettings.
  static constexpr int kDefaultGridStep = 20;        // percent of the radius
  static constexpr int kDefaultCriticalBorder = 80;  // percent of the radius
  static constexpr int kDefaultShowNames = 1;
  static constexpr int kDefaultShowNumbers = 0;
  static constexpr int kDefaultShowValues = 1;
  static constexpr int kDefaultLabelTrunc = 2;  // 0 whole, 1 cut at the end, 2 cut at the front

  // A negative capacity becomes the default (32 axes, 4 series) and the last error
  // kIndexOutOfRange; when the room cannot be reserved the capacity is 0 and the last error
  // kOutOfMemory.
  WindRose(int axis_capacity, int series_capacity);
  WindRose(const WindRose&) = delete;
  WindRose& operator=(const WindRose&) = delete;

  // ---- Virtual operations, in their fixed order. ----

  // Profile hooks, called by Save and Load while they hold the lock. The defaults: WriteItem
  // and WriteSettings write nothing and succeed, WriteHeader writes the chart's own header,
  // ReadItem returns no item, ReadSetting ignores the line, FreeItem does nothing.
  //
  // Writes what the profile keeps of an axis's item (called only for axes that have one).
  virtual bool WriteItem(ProfileWriter& file, const AxisItem& item) const;
  // Writes the owner's settings lines after the chart's six.
  virtual bool WriteSettings(ProfileWriter& file) const;
  // Writes the lines before the settings: an empty line, the header comment, an empty line.
  virtual bool WriteHeader(ProfileWriter& file) const;
  // Turns an unknown key inside an axis block into an item, or returns nullptr. A returned
  // item belongs to the chart from then on and is released through FreeItem. `value` is empty
  // when the line has nothing after its "=".
  virtual AxisItem* ReadItem(std::string_view key, std::string_view value);
  // Takes an unknown key outside the axis blocks.
  virtual void ReadSetting(std::string_view key, std::string_view value);
  // Releases an item the chart drops (RemoveAllAxes, SetAxisItem with another item). The
  // chart's own version does nothing; an owner that allocates items deletes them here.
  virtual void FreeItem(AxisItem* item);

  // Does not free the axes' items: a base destructor cannot reach a derived FreeItem, so an
  // owner whose FreeItem deletes calls RemoveAllAxes in its own destructor.
  virtual ~WindRose();

  // Writes the chart as a profile; true only when every line and the close succeeded. Clears
  // the modified flag on success. Holds the lock throughout. (chart/wind_rose_profile.cpp)
  virtual bool Save(const std::filesystem::path& path);
  // Reads a profile into the chart: appends its axes (up to the capacity) and overwrites the
  // settings it names. False for an empty path or a file that cannot be opened or read, or is
  // no regular file (a FIFO or a device would never end). Clears the modified flag on
  // success. The file is read whole before the lock is taken, then parsed under it.
  // (chart/wind_rose_profile.cpp)
  virtual bool Load(const std::filesystem::path& path);

  // A profile's bytes as read from disk, or why they could not be; any thread, no lock.
  struct ProfileBytes {
    bool read = false;
    std::string bytes;
    std::string error;
  };
  static constexpr std::size_t kMaxProfileBytes = 64 * 1024 * 1024;
  static ProfileBytes ReadProfile(const std::filesystem::path& path);
  // What Load does once the bytes are read: takes the lock and parses them (`path` names the
  // profile in errors). For owners that hold the lock around more than the load.
  bool LoadProfileBytes(const std::filesystem::path& path, ProfileBytes profile);
  // Why the last Save or Load failed: the file, the step and the system's reason. Empty after
  // one that succeeded. (chart/wind_rose_profile.cpp)
  std::string GetLastProfileError() const;

  // ---- Axes. ----

  // Appends an axis. Fails with kNoRoom when full; kValueOutOfRange when min > max,
  // critical > max, min > critical or a value is not finite (the multiplier may be 0 here);
  // kTextMissing when a text is missing. On success the chart owns `item` (it may be
  // nullptr); on failure the caller keeps it. Sets modified.
  bool AddAxis(Text name, Text description, bool inverse, double min_value, double max_value,
               double critical_value, double multiplier, AxisItem* item);
  // For every axis: FreeItem on its item, its texts released, and in every series the value
  // at that axis set to 0 (states stay). Always true; sets modified.
  bool RemoveAllAxes();
  int GetAxisCount() const;
  int GetAxisCapacity() const;

  // The stored texts, not copies (std::nullopt when the axis has none).
  bool GetAxisName(int index, Text* name) const;
  bool GetAxisDescription(int index, Text* description) const;
  // The stored item; the chart keeps owning it.
  bool GetAxisItem(int index, AxisItem** item) const;
  // Replaces the name by a copy when it differs byte for byte; sets modified then.
  bool SetAxisName(int index, Text name);
  // When the item differs from the current one: FreeItem on the old one, the chart owns the
  // new one, modified set. Passing the current item changes nothing.
  bool SetAxisItem(int index, AxisItem* item);

  bool GetAxisMin(int index, double* value) const;
  bool GetAxisMax(int index, double* value) const;
  bool GetAxisCritical(int index, double* value) const;
  bool GetAxisMultiplier(int index, double* value) const;
  bool GetAxisInverse(int index, bool* inverse) const;
  // Each keeps min <= critical <= max (kValueOutOfRange otherwise, also for a value that is
  // not finite) and sets modified only when the value changes.
  bool SetAxisMin(int index, double value);
  bool SetAxisMax(int index, double value);
  bool SetAxisCritical(int index, double value);
  // kValueOutOfRange for 0 or a value that is not finite.
  bool SetAxisMultiplier(int index, double value);
  // When the flag changes: sets modified and converts every series' stored value at that
  // axis: a value whose state is not kNotAvailable and that lies below the axis's max becomes
  // max minus the value, any other becomes 0. States are not recomputed.
  bool SetAxisInverse(int index, bool inverse);

  // The label built by the last drawing; empty for an index out of range.
  std::string_view GetAxisLabel(int index) const;

  // ---- Series and values. ----

  // Appends a visible series with no pen, colours kNoColour and every value 0 in state
  // kNormal. kNoRoom when full, kTextMissing when a text is missing, kOutOfMemory when its
  // values cannot be allocated. Sets modified.
  bool AddSeries(Text name, Text description);
  // Releases every series. Always true; sets modified.
  bool RemoveAllSeries();
  int GetSeriesCount() const;
  int GetSeriesCapacity() const;

  // The stored texts, not copies.
  bool GetSeriesName(int series, std::string_view* name) const;
  bool GetSeriesDescription(int series, std::string_view* description) const;
  bool SetSeriesVisible(int series, bool visible);
  bool GetSeriesVisible(int series, bool* visible) const;
  // Replaces the series' pen. kPenCreation for an unknown style or a negative width.
  bool SetSeriesPen(int series, PenStyle style, int width, Colour colour);
  // std::nullopt while the series has no pen.
  bool GetSeriesPen(int series, std::optional<Pen>* pen) const;
  // Colours of the series' value labels; kNoColour falls back to the chart's colour.
  bool SetSeriesTextColors(int series, Colour text, Colour background);
  bool GetSeriesTextColors(int series, Colour* text, Colour* background) const;

  // Stores a raw reading: divides it by the axis's multiplier (a multiplier of 0 divides by
  // 1), inverts it on an inverse axis (max minus the value below max, else 0), and sets the
  // state to kCritical when the result lies strictly above the critical value, else kNormal.
  // kValueOutOfRange when the reading or the result is not finite; nothing is stored then.
  bool SetSeriesValue(int axis, double raw_value, int series);
  // The stored value, after division and inversion.
  bool GetSeriesValue(int axis, double* value, int series) const;
  bool GetValueState(int axis, ValueState* state, int series) const;
  // Stores the state; kNotAvailable on an inverse axis also sets the value to 0.
  // kValueOutOfRange for a state outside the three known ones.
  bool SetValueState(int axis, ValueState state, int series);
  // The polyline of the last drawing: axis count + 1 points (empty for an unknown series).
  std::span<const Point> GetSeriesPoints(int series) const;

  // ---- Display settings. ----

  int GetGridStep() const;  // percent
  // kPercentOutOfRange outside 0..100; 0 removes the grid rings. Sets modified on change.
  bool SetGridStep(int percent);
  int GetCriticalBorder() const;  // percent
  // kPercentOutOfRange outside 0..100; 0 removes the border and makes every scale linear.
  bool SetCriticalBorder(int percent);
  // Flags and the truncation mode are stored as given; each sets modified on change.
  int GetShowNames() const;
  void SetShowNames(int show);
  int GetShowNumbers() const;
  void SetShowNumbers(int show);
  int GetShowValues() const;
  void SetShowValues(int show);
  int GetLabelTrunc() const;
  void SetLabelTrunc(int mode);
  // The six settings back to their defaults; the modified flag is left alone.
  void ResetDiagramSettings();

  // Replace the chart's pens; kPenCreation for an unknown style or a negative width.
  bool SetAxisPen(PenStyle style, int width, Colour colour);
  bool SetGridPen(PenStyle style, int width, Colour colour);
  bool SetCriticalPen(PenStyle style, int width, Colour colour);
  std::optional<Pen> GetAxisPen() const;
  std::optional<Pen> GetGridPen() const;
  std::optional<Pen> GetCriticalPen() const;
  // Replaces the chart font. kTextMissing for std::nullopt, kFontCreation for a negative
  // height.
  bool SetFont(const std::optional<FontSpec>& font);
  // The stored font, nullptr while none is set.
  const FontSpec* GetFont() const;
  // Both stored as given; kNoColour leaves the surface's colour alone.
  bool SetTextColors(Colour text, Colour background);
  Colour GetTextColor() const;
  Colour GetBackColor() const;

  // ---- Housekeeping. ----

  // The chart's re-entrant lock, for callers that group operations (the engine's own lock).
  void Lock() const;
  void Unlock() const;
  ChartError GetLastErrorCode() const;
  // Set by changes to axes, the series list and the display settings; storing values,
  // visibility, pens, font and colours leave it alone.
  bool IsModified() const;
  void SetModified(bool modified);

  // ---- Drawing. ----

  // Paints the chart into the rectangle and stores the drawing geometry. Always true. Holds
  // the lock throughout. (chart/wind_rose_draw.cpp)
  bool DrawChart(DrawingSurface& surface, const Rect& rect);

  // The distance from the centre (pixels) of a stored value, for the radius R of the last
  // drawing. With the critical border B percent, 0..critical fills the inner B percent of R
  // and critical..max the rest; with B = 0 the scale is linear up to max. Values beyond max
  // stop at R; negative values give negative distances (the far side of the centre). A zero
  // divisor (max, critical or max - critical) counts as 1. 0 for an index out of range.
  double Radius(int axis, int series) const;
  // The same for a radius R of the caller's (a small copy of the chart, such as a tray icon).
  double RadiusFor(int axis, int series, double chart_radius) const;

 protected:
  // Sets the radius R that Radius scales to, as DrawChart does after fitting the labels.
  void SetChartRadius(int radius);
  int GetChartRadius() const;

 private:
  struct AxisRecord {
    std::optional<std::string> name;
    std::optional<std::string> description;
    AxisLabel label;              // built by DrawChart
    double min_value = 0.0;       // takes part only in validation
    double max_value = 0.0;       // value at the chart radius
    double critical_value = 0.0;  // value at the critical border
    double multiplier = 1.0;      // raw readings are divided by it
    bool inverse = false;         // the axis shows max minus the value
    AxisItem* item = nullptr;     // owned through FreeItem
  };

  struct SeriesValue {
    double value = 0.0;  // after division and inversion
    ValueState state = ValueState::kNormal;
  };

  struct SeriesRecord {
    bool visible = true;
    std::string name;
    std::string description;
    std::optional<Pen> pen;
    Colour text_colour = kNoColour;
    Colour back_colour = kNoColour;
    std::vector<SeriesValue> values;  // one per axis slot (axis capacity entries)
    std::vector<Point> points;        // axis capacity + 1, built by DrawChart
  };

  using Guard = std::lock_guard<std::recursive_mutex>;

  bool Succeed() const;
  bool Fail(ChartError error) const;
  bool AxisExists(int index) const;
  bool SeriesExists(int series) const;
  // The shape of the per-axis, per-series and per-value accessors: under the lock, checks the
  // indexes (kIndexOutOfRange), then calls body with the record (OnValue: the stored value and
  // its axis). A body that returns nothing succeeds; one that returns bool has called Succeed
  // or Fail itself. Self is WindRose or const WindRose, so one helper serves getters and
  // setters. (chart/wind_rose_access.h)
  template <typename Self, typename Body>
  static bool OnAxis(Self* self, int index, Body body);
  template <typename Self, typename Body>
  static bool OnSeries(Self* self, int series, Body body);
  template <typename Self, typename Body>
  static bool OnValue(Self* self, int axis, int series, Body body);
  template <typename Self, typename Body, typename... Records>
  static bool Finish(Self* self, Body& body, Records&... records);
  // A copy of one of the chart's fields, read under the lock.
  template <typename T>
  T Locked(const T& field) const {
    Guard guard(lock_);
    return field;
  }
  // Shared body of the three scale setters; `valid` tells whether the axis accepts the value.
  template <typename Check>
  bool SetAxisScale(int index, double value, double AxisRecord::*field, Check valid);
  bool SetPercent(int* setting, int percent);
  void SetFlag(int* setting, int value);
  bool SetPen(std::optional<Pen>* pen, PenStyle style, int width, Colour colour);
  // Appends an axis with no texts or item, scale 0/0/0, multiplier 1, not inverted; nullptr
  // when the chart is full. For the profile reader, which fills it key by key.
  AxisRecord* AppendBlankAxis();

  mutable std::recursive_mutex lock_;
  mutable ChartError last_error_ = ChartError::kNone;
  bool modified_ = false;

  int axis_capacity_ = 0;             // axes
  int series_capacity_ = 0;           // series
  std::vector<AxisRecord> axes_;      // in display order; axis 0 points straight up
  std::vector<SeriesRecord> series_;  // in drawing order

  int grid_step_ = kDefaultGridStep;              // percent
  int critical_border_ = kDefaultCriticalBorder;  // percent
  int show_names_ = kDefaultShowNames;
  int show_numbers_ = kDefaultShowNumbers;
  int show_values_ = kDefaultShowValues;
  int label_trunc_ = kDefaultLabelTrunc;

  std::string profile_error_;  // set by Save and Load

  std::optional<Pen> axis_pen_;
  std::optional<Pen> grid_pen_;
  std::optional<Pen> critical_pen_;
  std::optional<FontSpec> font_;
  Colour text_colour_ = kNoColour;
  Colour back_colour_ = kNoColour;

  // Drawing geometry, set at the start of every DrawChart.
  DrawingSurface* surface_ = nullptr;  // only during DrawChart
  Rect rect_;                          // pixels
  int centre_x_ = 0;                   // pixels
  int centre_y_ = 0;                   // pixels
  int radius_ = 0;                     // pixels
};

// Holds a chart's lock for a scope.
class ChartLock {
 public:
  explicit ChartLock(const WindRose& chart) : chart_(chart) { chart_.Lock(); }
  ~ChartLock() { chart_.Unlock(); }
  ChartLock(const ChartLock&) = delete;
  ChartLock& operator=(const ChartLock&) = delete;

 private:
  const WindRose& chart_;
};

}  // namespace corvane::chart
