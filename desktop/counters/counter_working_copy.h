// The counters dialog's working copy: one entry per counter of the chart, in chart order, with
// the attributes of its axis; and the two ways it reaches the chart. Plain values; the
// functions take the engine's lock per call and run on the GUI thread.
#pragma once

#include <string>
#include <vector>

namespace corvane {
class Corvane;
class EngineWindow;
}  // namespace corvane

namespace corvane::desktop {

struct CounterEntry {
  std::string path;   // "\\machine\Object(instance)\Counter"; empty when the axis had none
  std::string label;  // the axis name written on Apply
  double min = 0;
  double max = 100;
  double critical = 80;
  double multiplier = 1;
  bool inverse = false;

  bool operator==(const CounterEntry&) const = default;
};

// A counter just chosen in the browser: labelled with its path, 0 to 100, critical at 80.
CounterEntry NewCounterEntry(std::string path);

// The chart's axes as entries. An axis's label is its description when that is not empty,
// otherwise its name.
std::vector<CounterEntry> LoadWorkingCopy(const Corvane& engine);

enum class ApplyOutcome {
  kNothing,     // neither flag was set
  kRebuilt,     // axes rebuilt and monitoring started again
  kUpdated,     // axes renamed and rescaled in place, a fresh sample requested
  kCannotStop,  // the collector still runs: the chart is as it was
};

// Writes the entries to the chart. With `structure_changed` the collector must have been
// stopped (CollectorStopper; one still running makes it kCannotStop at once), the axes are
// rebuilt and monitoring starts again in `window` ("Loading..." shown until the first
// sample); otherwise each axis takes its entry's label and attributes while sampling goes on.
ApplyOutcome ApplyWorkingCopy(Corvane& engine, EngineWindow* window,
                              const std::vector<CounterEntry>& entries, bool structure_changed,
                              bool attributes_changed);

// Sets an axis's range to [min, max] with its critical value, whatever range it held: the
// range is first widened to hold both the old and the new values, so that none of the chart's
// setters meets a value outside the range it holds at that moment. False when a setter refused
// (the values were not min <= critical <= max).
bool SetAxisRange(Corvane& engine, int axis, double min, double max, double critical);

}  // namespace corvane::desktop
