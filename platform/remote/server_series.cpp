#include "platform/remote/server_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace corvane::remote {
namespace {

constexpr std::string_view kName = "__name__";
constexpr std::string_view kScrapeLabel = "corvane_scrape";

void AppendLabelValue(std::string* out, std::string_view value) {
  for (const char c : value) {
    if (c == '\\' || c == '"') {
      *out += '\\';
      *out += c;
    } else if (c == '\n') {
      *out += "\\n";
    } else {
      *out += c;
    }
  }
}

// A metric or label name the exposition format accepts.
bool IsName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

}  // namespace

std::string InstanceOfMachine(std::string_view machine) {
  while (!machine.empty() && machine.front() == '\\') machine.remove_prefix(1);
  return std::string(machine);
}

std::string ExactAlternatives(std::span<const std::string> texts) {
  std::string out = "\"";
  bool first = true;
  for (const std::string& text : texts) {
    if (!first) out += '|';
    first = false;
    for (const char c : text) {
      // Regular-expression characters are escaped for the expression, and the escape and
      // the quote once more for the string literal around it.
      if (std::string_view("\\.^$|?*+()[]{}").find(c) != std::string_view::npos) {
        out += "\\\\";
        out += c;
      } else if (c == '"') {
        out += "\\\"";
      } else if (c == '\n') {
        out += "\\n";
      } else {
        out += c;
      }
    }
  }
  out += '"';
  return out;
}

std::string SeriesSelector(std::span<const std::string> metrics,
                           std::span<const std::string> instances) {
  return "{__name__=~" + ExactAlternatives(metrics) + ",instance=~" + ExactAlternatives(instances) +
         "}";
}

std::string ScrapedSeriesQuery(std::span<const std::string> metrics,
                               std::span<const std::string> instances) {
  // "or" matches series without their names, so the times get a label of their own to stay
  // beside the "up" series.
  return SeriesSelector(metrics, instances) + " or label_replace(timestamp(up{instance=~" +
         ExactAlternatives(instances) + "}), \"" + std::string(kScrapeLabel) +
         "\", \"time\", \"\", \"\")";
}

std::string ExpositionNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof(text), value);
  return std::string(text, result.ptr);
}

std::map<std::string, InstanceSeries, std::less<>> SeriesByInstance(const ServerAnswer& answer,
                                                                    double at) {
  // Each series' instance and metric name looked up once.
  struct Entry {
    std::string_view name;
    const ServerSeries* series;
  };
  std::map<std::string_view, std::vector<Entry>, std::less<>> grouped;
  for (const ServerSeries& series : answer.series) {
    const std::string_view instance = series.Label("instance");
    if (instance.empty() || series.samples.empty()) continue;
    grouped[instance].push_back(Entry{series.Label(kName), &series});
  }
  std::map<std::string, InstanceSeries, std::less<>> result;
  for (auto& [instance, entries] : grouped) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      // As an exporter writes them: by metric, then by the labels' values.
      if (a.name != b.name) return a.name < b.name;
      return a.series->labels < b.series->labels;
    });
    InstanceSeries out;
    out.page.reserve(entries.size() * 64);
    for (const Entry& entry : entries) {
      const ServerSeries* series = entry.series;
      const ServerSample* point = nullptr;
      if (std::isnan(at)) {
        point = &series->samples.back();
      } else {
        const auto found = std::lower_bound(
            series->samples.begin(), series->samples.end(), at - 5e-4,
            [](const ServerSample& sample, double time) { return sample.time < time; });
        if (found != series->samples.end() && found->time <= at + 5e-4) point = &*found;
      }
      if (point == nullptr) continue;
      const std::string_view name = entry.name;
      if (name.empty() && series->Label(kScrapeLabel) == "time") {
        // timestamp(up): when the server last scraped the target.
        out.scrape_time = point->value;
        continue;
      }
      if (name == "up") {
        out.has_up = true;
        out.up = point->value;
        out.job = std::string(series->Label("job"));
        continue;
      }
      if (!IsName(name)) continue;
      out.time = std::max(out.time, point->time);
      out.page += name;
      bool any = false;
      for (const auto& [label, value] : series->labels) {
        if (label == kName || label == "instance" || label == "job" || !IsName(label)) continue;
        out.page += any ? ',' : '{';
        any = true;
        out.page += label;
        out.page += "=\"";
        AppendLabelValue(&out.page, value);
        out.page += '"';
      }
      if (any) out.page += '}';
      out.page += ' ';
      out.page += ExpositionNumber(point->value);
      out.page += '\n';
      ++out.series;
    }
    if (out.scrape_time > 0) out.time = out.scrape_time;
    if (out.series > 0 || out.has_up) result.emplace(std::string(instance), std::move(out));
  }
  return result;
}

}  // namespace corvane::remote
