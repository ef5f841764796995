#include "platform/remote/server_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/remote/exporter_page.h"

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

// A label of the series that its exporter wrote, not one the server added.
bool OnPage(std::string_view label) {
  return label != kName && label != "instance" && label != "job" && IsName(label);
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
  std::map<std::string_view, std::vector<PageSample>, std::less<>> grouped;
  for (const ServerSeries& series : answer.series) {
    const std::string_view instance = series.Label("instance");
    if (instance.empty() || series.samples.empty()) continue;
    grouped[instance].push_back(PageSample{series.Label(kName), &series, 0});
  }
  std::map<std::string, InstanceSeries, std::less<>> result;
  for (auto& [instance, entries] : grouped) {
    std::sort(entries.begin(), entries.end(), [](const PageSample& a, const PageSample& b) {
      // As an exporter writes them: by metric, then by the labels' values.
      if (a.name != b.name) return a.name < b.name;
      return a.series->labels < b.series->labels;
    });
    InstanceSeries out;
    out.samples.reserve(entries.size());
    for (const PageSample& entry : entries) {
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
      out.samples.push_back(PageSample{name, series, point->value});
    }
    out.series = static_cast<int>(out.samples.size());
    if (out.scrape_time > 0) out.time = out.scrape_time;
    if (out.series > 0 || out.has_up) result.emplace(std::string(instance), std::move(out));
  }
  return result;
}

std::string PageText(const InstanceSeries& instance) {
  std::string page;
  page.reserve(instance.samples.size() * 64);
  for (const PageSample& sample : instance.samples) {
    page += sample.name;
    bool any = false;
    for (const auto& [label, value] : sample.series->labels) {
      if (!OnPage(label)) continue;
      page += any ? ',' : '{';
      any = true;
      page += label;
      page += "=\"";
      AppendLabelValue(&page, value);
      page += '"';
    }
    if (any) page += '}';
    page += ' ';
    page += ExpositionNumber(sample.value);
    page += '\n';
  }
  return page;
}

bool LoadPage(const InstanceSeries& instance, ExporterPage* page) {
  page->StartFill();
  for (const PageSample& sample : instance.samples) {
    page->AddSample(sample.name, sample.value);
    for (const auto& [label, value] : sample.series->labels) {
      if (OnPage(label)) page->AddLabel(label, value);
    }
  }
  return page->EndFill();
}

}  // namespace corvane::remote
