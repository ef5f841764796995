#include "desktop/counters/counter_working_copy.h"

#include <algorithm>
#include <utility>

#include "core/counter_item.h"
#include "core/engine.h"

namespace corvane::desktop {

CounterEntry NewCounterEntry(std::string path) {
  CounterEntry entry;
  entry.label = path;
  entry.path = std::move(path);
  return entry;
}

std::vector<CounterEntry> LoadWorkingCopy(const Corvane& engine) {
  std::vector<CounterEntry> entries;
  chart::ChartLock lock(engine);
  const int count = engine.GetAxisCount();
  entries.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    CounterEntry entry;
    entry.path = engine.GetCounterPath(i);
    chart::Text description;
    chart::Text name;
    engine.GetAxisDescription(i, &description);
    engine.GetAxisName(i, &name);
    entry.label = std::string(description.has_value() && !description->empty()
                                  ? *description
                                  : name.value_or(std::string_view()));
    engine.GetAxisMin(i, &entry.min);
    engine.GetAxisMax(i, &entry.max);
    engine.GetAxisCritical(i, &entry.critical);
    engine.GetAxisMultiplier(i, &entry.multiplier);
    engine.GetAxisInverse(i, &entry.inverse);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool SetAxisRange(Corvane& engine, int axis, double min, double max, double critical) {
  double old_min = 0;
  double old_max = 0;
  if (!engine.GetAxisMin(axis, &old_min) || !engine.GetAxisMax(axis, &old_max)) return false;
  // Widening never conflicts with the critical value inside the old range; once the range
  // holds the new critical value, min and max can close in on it.
  bool ok = engine.SetAxisMax(axis, std::max(max, old_max));
  ok = engine.SetAxisMin(axis, std::min(min, old_min)) && ok;
  ok = engine.SetAxisCritical(axis, critical) && ok;
  ok = engine.SetAxisMin(axis, min) && ok;
  ok = engine.SetAxisMax(axis, max) && ok;
  return ok;
}

ApplyOutcome ApplyWorkingCopy(Corvane& engine, EngineWindow* window,
                              const std::vector<CounterEntry>& entries, bool structure_changed,
                              bool attributes_changed) {
  if (!structure_changed && !attributes_changed) return ApplyOutcome::kNothing;
  if (structure_changed) {
    // Stopped by the caller; one that still runs is not waited for.
    if (!engine.PollStop()) return ApplyOutcome::kCannotStop;
    {
      chart::ChartLock lock(engine);
      engine.RemoveAllAxes();
      for (const CounterEntry& entry : entries) {
        auto* item = new CounterItem(entry.path);
        if (!engine.AddAxis(entry.label, "", entry.inverse, entry.min, entry.max, entry.critical,
                            entry.multiplier, item))
          delete item;  // the chart refused it and did not take the item
      }
    }
    engine.SetStatusText("Loading...");
    engine.ApplySettingsToChart();
    engine.Start(window, false);
    return ApplyOutcome::kRebuilt;
  }
  const int count = std::min(static_cast<int>(entries.size()), engine.GetAxisCount());
  for (int i = 0; i < count; ++i) {
    const CounterEntry& entry = entries[static_cast<std::size_t>(i)];
    engine.SetAxisName(i, entry.label);
    SetAxisRange(engine, i, entry.min, entry.max, entry.critical);
    engine.SetAxisMultiplier(i, entry.multiplier);
    engine.SetAxisInverse(i, entry.inverse);
  }
  engine.RequestResample();
  return ApplyOutcome::kUpdated;
}

}  // namespace corvane::desktop
