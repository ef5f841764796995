// The service's metrics page in the Prometheus text exposition format (version 0.0.4): every
// family with its HELP and TYPE lines, label values escaped as the format asks and always
// valid UTF-8. Pure functions
// over a snapshot; any thread.
//
// Families (values on an axis are in the unit the axis shows, after its multiplier):
//   corvane_axis_current_value, _average_value, _maximum_value   gauges per axis; NaN when
//                                                                 not available
//   corvane_axis_state            gauge per axis, series (current, average, maximum) and state
//                                 (normal, critical, not_available): 1 for the state it is in
//   corvane_axis_critical_value, corvane_axis_range_min, corvane_axis_range_max
//   corvane_samples_total         counter: samples taken since the collector started
//   corvane_last_sample_timestamp_seconds, corvane_sample_interval_seconds
//   corvane_sample_cpu_seconds    histogram: the collector thread's CPU time per sample
//   corvane_remote_machine_up     gauge per remote machine: 1 when its last scrape worked
// Axis labels: axis (its name), path (the counter path), machine (empty for this machine),
// object and instance. An axis whose name and path repeat an earlier axis's is left out, as
// its series would be the same.
#pragma once

#include <string>
#include <string_view>

#include "service/metrics_snapshot.h"

namespace corvane::service {

inline constexpr std::string_view kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// Appends the whole page to `out`.
void AppendMetricsPage(const MetricsSnapshot& snapshot, std::string* out);

// A label value as the format writes it between its quotes: backslash, double quote and line
// feed escaped, and every byte that is not part of well-formed UTF-8 replaced by U+FFFD.
void AppendLabelValue(std::string* out, std::string_view value);

// A sample value: the shortest text that reads back as the same double; NaN, +Inf and -Inf.
void AppendSampleValue(std::string* out, double value);

}  // namespace corvane::service
