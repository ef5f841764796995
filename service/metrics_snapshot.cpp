#include "service/metrics_snapshot.h"

#include <algorithm>

#include "core/counter_item.h"
#include "core/counter_path.h"
#include "core/engine.h"

namespace corvane::service {
namespace {

AxisValue ValueOf(const Corvane& engine, int axis, int series, bool sampled) {
  AxisValue value;
  if (!sampled) return value;  // not available
  engine.GetSeriesValue(axis, &value.value, series);
  engine.GetValueState(axis, &value.state, series);
  return value;
}

std::string_view WithoutBackslashes(std::string_view machine) {
  while (!machine.empty() && machine.front() == '\\') machine.remove_prefix(1);
  return machine;
}

void LabelAxis(AxisMetrics* axis) {
  if (axis->labelled_path == axis->path) return;
  axis->labelled_path = axis->path;
  axis->machine.clear();
  axis->object.clear();
  axis->instance.clear();
  if (const std::optional<CounterPath> parts = ParseCounterPath(axis->path)) {
    axis->machine = WithoutBackslashes(parts->machine);
    axis->object = parts->object;
    axis->instance = parts->instance;
  } else {
    axis->machine = WithoutBackslashes(MachinePart(axis->path));
  }
}

}  // namespace

void CopyEngineMetrics(const Corvane& engine, MetricsSnapshot* snapshot) {
  chart::ChartLock lock(engine);
  snapshot->timing = engine.GetSampleTiming();
  snapshot->interval_s = engine.GetInterval();
  const bool sampled = snapshot->timing.samples() > 0;
  const auto count = static_cast<std::size_t>(std::max(engine.GetAxisCount(), 0));
  if (snapshot->axes.size() < count) snapshot->axes.resize(count);
  snapshot->axis_count = count;
  for (std::size_t j = 0; j < count; ++j) {
    const int i = static_cast<int>(j);
    AxisMetrics& axis = snapshot->axes[j];
    chart::Text name;
    engine.GetAxisName(i, &name);
    axis.name.assign(name.value_or(std::string_view{}));
    chart::AxisItem* item = nullptr;
    engine.GetAxisItem(i, &item);
    const std::string* path = CounterPathOf(item);
    if (path != nullptr) {
      axis.path.assign(*path);
    } else {
      axis.path.clear();
    }
    axis.current = ValueOf(engine, i, Corvane::kCurrentSeries, sampled);
    axis.average = ValueOf(engine, i, Corvane::kAverageSeries, sampled);
    axis.maximum = ValueOf(engine, i, Corvane::kMaxSeries, sampled);
    engine.GetAxisMin(i, &axis.min_value);
    engine.GetAxisMax(i, &axis.max_value);
    engine.GetAxisCritical(i, &axis.critical_value);
  }
}

void CompleteMetrics(const perf::Provider& provider, MetricsSnapshot* snapshot) {
  snapshot->machine_count = 0;
  const bool sampled = snapshot->timing.samples() > 0;
  for (std::size_t j = 0; j < snapshot->axis_count; ++j) {
    AxisMetrics& axis = snapshot->axes[j];
    LabelAxis(&axis);
    if (axis.machine.empty()) continue;
    const auto first = snapshot->machines.begin();
    const auto last = first + static_cast<std::ptrdiff_t>(snapshot->machine_count);
    if (std::any_of(first, last,
                    [&](const MachineMetrics& m) { return m.machine == axis.machine; }))
      continue;
    if (snapshot->machines.size() <= snapshot->machine_count) snapshot->machines.emplace_back();
    MachineMetrics& machine = snapshot->machines[snapshot->machine_count++];
    machine.machine = axis.machine;
    machine.up = sampled && provider.MachineError(MachinePart(axis.path)).empty();
  }
}

}  // namespace corvane::service
