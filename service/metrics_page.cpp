#include "service/metrics_page.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "chart/utf8.h"

namespace corvane::service {
namespace {

void AppendFamily(std::string* out, std::string_view name, std::string_view type,
                  std::string_view help) {
  out->append("# HELP ").append(name).append(" ").append(help).append("\n");
  out->append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void AppendCount(std::string* out, std::uint64_t value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out->append(text, static_cast<std::size_t>(result.ptr - text));
}

// `{axis="...",...,instance="..."` without the closing brace, so that more labels may follow.
void AppendAxisLabels(std::string* out, const AxisMetrics& axis) {
  out->append("{axis=\"");
  AppendLabelValue(out, axis.name);
  out->append("\",path=\"");
  AppendLabelValue(out, axis.path);
  out->append("\",machine=\"");
  AppendLabelValue(out, axis.machine);
  out->append("\",object=\"");
  AppendLabelValue(out, axis.object);
  out->append("\",instance=\"");
  AppendLabelValue(out, axis.instance);
  out->append("\"");
}

bool RepeatsEarlierAxis(const MetricsSnapshot& snapshot, std::size_t j) {
  const AxisMetrics& axis = snapshot.axes[j];
  for (std::size_t k = 0; k < j; ++k) {
    if (snapshot.axes[k].name == axis.name && snapshot.axes[k].path == axis.path) return true;
  }
  return false;
}

double Shown(const AxisValue& value) {
  return value.state == chart::ValueState::kNotAvailable ? std::nan("") : value.value;
}

struct Series {
  std::string_view name;
  const AxisValue AxisMetrics::*value;
};
constexpr Series kSeries[] = {{"current", &AxisMetrics::current},
                              {"average", &AxisMetrics::average},
                              {"maximum", &AxisMetrics::maximum}};

struct State {
  std::string_view name;
  chart::ValueState state;
};
constexpr State kStates[] = {{"normal", chart::ValueState::kNormal},
                             {"critical", chart::ValueState::kCritical},
                             {"not_available", chart::ValueState::kNotAvailable}};

}  // namespace

void AppendLabelValue(std::string* out, std::string_view value) {
  std::size_t start = 0;  // the first byte not yet copied
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    if (static_cast<unsigned char>(c) < 0x80U) {
      if (c == '\\' || c == '"' || c == '\n') {
        out->append(value.substr(start, i - start));
        out->append(c == '\n' ? "\\n" : c == '"' ? "\\\"" : "\\\\");
        start = i + 1;
      }
      ++i;
      continue;
    }
    // Names come from the kernel and from profiles and need not be UTF-8, which the format
    // requires: a scraper refuses the whole page for one bad byte.
    std::size_t next = i;
    const char32_t code = chart::utf8::Decode(value, &next);
    if (chart::utf8::WasMalformed(code, i, next)) {
      out->append(value.substr(start, i - start));
      out->append(chart::utf8::kReplacementBytes);
      start = next;
    }
    i = next;
  }
  out->append(value.substr(start));
}

void AppendSampleValue(std::string* out, double value) {
  if (std::isnan(value)) {
    out->append("NaN");
  } else if (std::isinf(value)) {
    out->append(value > 0 ? "+Inf" : "-Inf");
  } else {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out->append(text, static_cast<std::size_t>(result.ptr - text));
  }
}

void AppendMetricsPage(const MetricsSnapshot& snapshot, std::string* out) {
  // Each axis's labels are escaped once and then copied into every line that needs them.
  std::string labels;
  std::vector<std::size_t> label_end;  // end of axis j's labels in `labels`; 0-length: left out
  label_end.reserve(snapshot.axis_count);
  for (std::size_t j = 0; j < snapshot.axis_count; ++j) {
    if (!RepeatsEarlierAxis(snapshot, j)) AppendAxisLabels(&labels, snapshot.axes[j]);
    label_end.push_back(labels.size());
  }
  const auto for_each_axis = [&](auto write) {
    std::size_t start = 0;
    for (std::size_t j = 0; j < snapshot.axis_count; ++j) {
      const std::string_view axis_labels(labels.data() + start, label_end[j] - start);
      start = label_end[j];
      if (!axis_labels.empty()) write(snapshot.axes[j], axis_labels);
    }
  };
  const auto gauge_per_axis = [&](std::string_view name, std::string_view help, auto value_of) {
    AppendFamily(out, name, "gauge", help);
    for_each_axis([&](const AxisMetrics& axis, std::string_view axis_labels) {
      out->append(name).append(axis_labels).append("} ");
      AppendSampleValue(out, value_of(axis));
      out->push_back('\n');
    });
  };

  gauge_per_axis("corvane_axis_current_value",
                 "Last sampled value of the axis's counter, in the unit the axis shows (after "
                 "its multiplier); NaN when not available.",
                 [](const AxisMetrics& axis) { return Shown(axis.current); });
  gauge_per_axis("corvane_axis_average_value",
                 "Average of the axis's counter over the profile's history, in the unit the "
                 "axis shows; NaN when not available.",
                 [](const AxisMetrics& axis) { return Shown(axis.average); });
  gauge_per_axis("corvane_axis_maximum_value",
                 "Largest value of the axis's counter since collecting started, in the unit the "
                 "axis shows; NaN when not available.",
                 [](const AxisMetrics& axis) { return Shown(axis.maximum); });

  AppendFamily(out, "corvane_axis_state", "gauge",
               "State of each of the axis's values: 1 for the state it is in (normal, critical "
               "above the axis's critical value, not_available), else 0.");
  for_each_axis([&](const AxisMetrics& axis, std::string_view axis_labels) {
    for (const Series& series : kSeries) {
      const chart::ValueState state = (axis.*series.value).state;
      for (const State& candidate : kStates) {
        out->append("corvane_axis_state").append(axis_labels).append(",series=\"");
        out->append(series.name).append("\",state=\"").append(candidate.name).append("\"} ");
        out->push_back(state == candidate.state ? '1' : '0');
        out->push_back('\n');
      }
    }
  });

  gauge_per_axis("corvane_axis_critical_value",
                 "Value above which the axis's counter is critical, in the unit the axis shows.",
                 [](const AxisMetrics& axis) { return axis.critical_value; });
  gauge_per_axis("corvane_axis_range_min", "Lowest value of the axis's scale.",
                 [](const AxisMetrics& axis) { return axis.min_value; });
  gauge_per_axis("corvane_axis_range_max", "Value at the outer ring of the axis's scale.",
                 [](const AxisMetrics& axis) { return axis.max_value; });

  const SampleTiming& timing = snapshot.timing;
  AppendFamily(out, "corvane_samples_total", "counter",
               "Samples taken since the collector started.");
  out->append("corvane_samples_total ");
  AppendCount(out, timing.samples());
  out->push_back('\n');

  AppendFamily(out, "corvane_last_sample_timestamp_seconds", "gauge",
               "Unix time at which the last sample was taken; 0 before the first.");
  out->append("corvane_last_sample_timestamp_seconds ");
  AppendSampleValue(out, timing.last_sample_time());
  out->push_back('\n');

  AppendFamily(out, "corvane_sample_interval_seconds", "gauge", "Time between two samples.");
  out->append("corvane_sample_interval_seconds ");
  AppendCount(out, static_cast<std::uint64_t>(snapshot.interval_s > 0 ? snapshot.interval_s : 0));
  out->push_back('\n');

  AppendFamily(out, "corvane_sample_cpu_seconds", "histogram",
               "CPU time the collector thread spent on one sample: collecting, storing and "
               "logging it.");
  for (std::size_t b = 0; b <= SampleTiming::kCostBounds.size(); ++b) {
    out->append("corvane_sample_cpu_seconds_bucket{le=\"");
    if (b < SampleTiming::kCostBounds.size()) {
      // Bounds in plain decimals ("0.0001", not "1e-04"), the way queries name them.
      char text[32];
      const auto result = std::to_chars(text, text + sizeof text, SampleTiming::kCostBounds[b],
                                        std::chars_format::fixed);
      out->append(text, static_cast<std::size_t>(result.ptr - text));
    } else {
      out->append("+Inf");
    }
    out->append("\"} ");
    AppendCount(out, timing.CumulativeCount(b));
    out->push_back('\n');
  }
  out->append("corvane_sample_cpu_seconds_sum ");
  AppendSampleValue(out, timing.cost_sum());
  out->append("\ncorvane_sample_cpu_seconds_count ");
  AppendCount(out, timing.cost_count());
  out->push_back('\n');

  AppendFamily(out, "corvane_remote_machine_up", "gauge",
               "Whether the remote machine's last scrape worked (1) or failed (0).");
  for (std::size_t m = 0; m < snapshot.machine_count; ++m) {
    const MachineMetrics& machine = snapshot.machines[m];
    out->append("corvane_remote_machine_up{machine=\"");
    AppendLabelValue(out, machine.machine);
    out->append("\"} ");
    out->push_back(machine.up ? '1' : '0');
    out->push_back('\n');
  }
}

}  // namespace corvane::service
