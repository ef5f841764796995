// What one scrape of the service's metrics page shows: a copy of the engine's last sample (every
// axis's three values and their states, its scale and counter path), the sample count and
// times, and whether each remote machine answered its last scrape. The copy is taken under the
// chart lock, which it holds only to copy (no I/O, no parsing); the labels derived from the
// paths and the machines' answers are filled in afterwards, outside the lock.
//
// Threads: a snapshot belongs to the thread that fills it (the HTTP server's); reused from one
// scrape to the next, it allocates only when the profile grew or its texts got longer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "chart/value_state.h"
#include "core/perf_data.h"
#include "core/sample_timing.h"

namespace corvane {
class Corvane;
}

namespace corvane::service {

struct AxisValue {
  double value = 0.0;  // after the multiplier (and inversion), as the chart shows it
  chart::ValueState state = chart::ValueState::kNotAvailable;
};

struct AxisMetrics {
  // Copied under the lock.
  std::string name;
  std::string path;  // the counter path; empty when the axis has none
  AxisValue current;
  AxisValue average;
  AxisValue maximum;
  double min_value = 0.0;  // the axis's scale, in the unit it shows
  double max_value = 0.0;
  double critical_value = 0.0;

  // From the path, outside the lock: the machine without its leading backslashes ("db1:9100",
  // empty for the local machine), the object and the instance (empty when the path names none
  // or does not parse).
  std::string machine;
  std::string object;
  std::string instance;
  std::string labelled_path;  // the path the three above were made from
};

struct MachineMetrics {
  std::string machine;  // as in AxisMetrics::machine
  bool up = false;      // its last connection or scrape worked
};

struct MetricsSnapshot {
  std::vector<AxisMetrics> axes;  // the first axis_count entries are in use
  std::size_t axis_count = 0;
  int interval_s = 0;  // the sampling interval, in seconds
  SampleTiming timing;
  std::vector<MachineMetrics> machines;  // the first machine_count entries are in use
  std::size_t machine_count = 0;
};

// Copies the engine's last sample into `snapshot` while holding the chart lock. Before the first
// sample every value counts as not available.
void CopyEngineMetrics(const Corvane& engine, MetricsSnapshot* snapshot);

// Outside the lock: the labels of every axis whose path changed since the last snapshot, and
// the distinct remote machines of the paths, each up when a sample has been taken and
// `provider` has no failure on record for it (Provider::MachineError, which does no I/O).
void CompleteMetrics(const perf::Provider& provider, MetricsSnapshot* snapshot);

}  // namespace corvane::service
