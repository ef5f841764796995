// Small readers over the series of an exporter page that both exporters' counter tables use:
// sums over the samples of a metric that match an instance and a set of label values, and the
// distinct values of a label in page order. No allocation except where a list is returned.
// Pure functions; any thread.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"

namespace corvane::remote {

// Whether value is one of the listed texts (exactly).
inline bool OneOf(std::string_view value, std::initializer_list<std::string_view> texts) {
  for (std::string_view text : texts) {
    if (value == text) return true;
  }
  return false;
}

// Σ of the samples of metric for which keep(series) holds. False when the page has no such
// metric or no sample was kept.
template <typename Keep>
bool SumWhere(const ExporterPage& page, std::string_view metric, Keep keep, double* sum,
              int* kept = nullptr) {
  double total = 0;
  int count = 0;
  for (const ExporterPage::Series& series : page.Find(metric)) {
    if (!keep(series)) continue;
    total += series.value;
    ++count;
  }
  if (kept != nullptr) *kept = count;
  if (count == 0) return false;
  *sum = total;
  return true;
}

// Σ of the samples of metric whose label is the instance (every sample for "_Total").
inline bool SumForInstance(const ExporterPage& page, std::string_view metric,
                           std::string_view label, const InstanceRef& instance, double* sum,
                           int* kept = nullptr) {
  return SumWhere(
      page, metric,
      [&](const ExporterPage::Series& series) {
        return instance.total || IsInstance(page.LabelOf(series, label), instance.name);
      },
      sum, kept);
}

// The first of the alternative metrics (newer name first) that the page has; empty if none.
inline std::string_view FirstPresent(const ExporterPage& page,
                                     std::initializer_list<std::string_view> metrics) {
  for (std::string_view metric : metrics) {
    if (page.Has(metric)) return metric;
  }
  return {};
}

// The value of the first present of the alternative metrics without labels.
inline bool ValueOfFirst(const ExporterPage& page, std::initializer_list<std::string_view> metrics,
                         double* value) {
  const std::string_view metric = FirstPresent(page, metrics);
  return !metric.empty() && page.Value(metric, value);
}

// The distinct values of a label over the samples of metric, in page order, as instance names.
// An exporter writes a metric's samples sorted by their labels, so equal values are adjacent.
std::vector<std::string> DistinctLabelValues(const ExporterPage& page, std::string_view metric,
                                             std::string_view label);

}  // namespace corvane::remote
