// Between a Prometheus server's series and the exporter tables: the instance a machine part
// names, the selector that asks the server for given metrics of given instances, and one
// instance's series written back as the exporter page it was scraped from, so that every
// counter is read by the same table and arithmetic as a direct scrape. Pure functions; any
// thread.
#pragma once

#include <limits>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/server_answer.h"

namespace corvane::remote {

class ExporterPage;

// "\\web-03:9100" -> "web-03:9100": the machine part without its leading backslashes.
std::string InstanceOfMachine(std::string_view machine);

// A PromQL string literal, quotes included, holding a regular expression that matches exactly
// one of the texts: "\"a|b\\\\.c\"".
std::string ExactAlternatives(std::span<const std::string> texts);

// {__name__=~"m1|m2",instance=~"i1|i2"}
std::string SeriesSelector(std::span<const std::string> metrics,
                           std::span<const std::string> instances);

// The series of SeriesSelector together with the time of each instance's last scrape
// (timestamp(up{...}) labelled corvane_scrape="time"): an instant query stamps every value with
// the time of the query, so the scrape's own time comes this way, in the same request.
std::string ScrapedSeriesQuery(std::span<const std::string> metrics,
                               std::span<const std::string> instances);

// One sample of an instance's exporter series: its metric, its series in the answer (for the
// labels) and the value picked.
struct PageSample {
  std::string_view name;
  const ServerSeries* series = nullptr;
  double value = 0;
};

// One instance's part of an answer; its views point into the answer.
struct InstanceSeries {
  // Its exporter series, grouped by metric and ordered as an exporter writes them.
  std::vector<PageSample> samples;
  // When the server scraped the instance (from timestamp(up)), else the newest time among
  // its samples; seconds since the epoch.
  double time = 0;
  double scrape_time = 0;  // from timestamp(up); 0 when the answer has none
  int series = 0;          // series on the page
  bool has_up = false;     // the server's "up" series of the target was in the answer
  double up = 0;           // its value: 1 when the server's last scrape of it worked
  std::string job;         // the target's job label
};

// The answer's series by their "instance" label, each instance's series as the exporter page
// it was scraped from, without the labels the server adds ("instance", "job"). `at` picks which
// sample of each series is taken: the last (NaN), or the one stamped with that time (a step
// of a range query; a series without a sample there is left out).
std::map<std::string, InstanceSeries, std::less<>> SeriesByInstance(
    const ServerAnswer& answer, double at = std::numeric_limits<double>::quiet_NaN());

// The instance's series written as exposition text, for a page that outlives the answer.
std::string PageText(const InstanceSeries& instance);

// Fills *page with the instance's series without writing them out: the page's views point into
// the answer, which must stay unchanged while the page is used. False as ExporterPage::Load.
bool LoadPage(const InstanceSeries& instance, ExporterPage* page);

// The value as the exposition format writes it: "0.5", "NaN", "+Inf".
std::string ExpositionNumber(double value);

}  // namespace corvane::remote
