// The metrics page as a pure function of a snapshot: the text format's rules (escaping, values,
// HELP and TYPE before every family, cumulative buckets) and what promtool says of it.
#include "service/metrics_page.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chart/utf8.h"
#include "tests/support/temp_folder.h"

namespace corvane::service {
namespace {

using chart::ValueState;

AxisMetrics Axis(std::string name, std::string path, double current, ValueState state) {
  AxisMetrics axis;
  axis.name = std::move(name);
  axis.path = std::move(path);
  axis.current = {current, state};
  axis.average = {current / 2, ValueState::kNormal};
  axis.maximum = {current * 2, ValueState::kCritical};
  axis.min_value = 0;
  axis.max_value = 100;
  axis.critical_value = 80;
  return axis;
}

MetricsSnapshot Snapshot(std::vector<AxisMetrics> axes) {
  MetricsSnapshot snapshot;
  snapshot.axes = std::move(axes);
  snapshot.axis_count = snapshot.axes.size();
  snapshot.interval_s = 2;
  snapshot.timing.NoteSampleEnd(1700000000.5);
  snapshot.timing.NoteSampleEnd(1700000002.5);
  snapshot.timing.NoteCost(0.0002);
  snapshot.timing.NoteCost(0.003);
  return snapshot;
}

std::string Page(const MetricsSnapshot& snapshot) {
  std::string page;
  AppendMetricsPage(snapshot, &page);
  return page;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The samples of one metric: label block -> value text.
std::map<std::string, std::string> Samples(const std::string& page, const std::string& metric) {
  std::map<std::string, std::string> samples;
  for (const std::string& line : Lines(page)) {
    if (line.rfind(metric, 0) != 0) continue;
    const std::string rest = line.substr(metric.size());
    if (!rest.empty() && rest[0] != '{' && rest[0] != ' ') continue;  // a longer name
    const std::size_t space = rest.rfind(' ');
    samples[rest.substr(0, space)] = rest.substr(space + 1);
  }
  return samples;
}

TEST(MetricsPage, EscapesLabelValuesAsTheFormatAsks) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"\\\\db1\\Processor(_Total)\\% Processor Time",
       "\\\\\\\\db1\\\\Processor(_Total)\\\\% Processor Time"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"two\nlines", "two\\nlines"},
      {"tab\tand\rreturn", "tab\tand\rreturn"},  // only the three are escaped
      {"Prozessorzeit ä €", "Prozessorzeit ä €"},
      {"\\\"\n", "\\\\\\\"\\n"},
  };
  for (const auto& [raw, escaped] : cases) {
    std::string out = "x";
    AppendLabelValue(&out, raw);
    EXPECT_EQ(out, "x" + std::string(escaped)) << raw;
  }
}

TEST(MetricsPage, WritesValuesThatReadBackAsTheSameNumber) {
  const std::pair<double, std::string_view> cases[] = {
      {0.0, "0"},         {12.5, "12.5"},      {-3.0, "-3"},
      {0.1, "0.1"},       {1e-7, "1e-07"},     {1e300, "1e+300"},
      {INFINITY, "+Inf"}, {-INFINITY, "-Inf"}, {std::nan(""), "NaN"},
  };
  for (const auto& [value, text] : cases) {
    std::string out;
    AppendSampleValue(&out, value);
    EXPECT_EQ(out, text);
  }
  for (const double value : {1.0 / 3, 2.0 / 3 * 1e9, 68.78219544265811}) {
    std::string out;
    AppendSampleValue(&out, value);
    EXPECT_EQ(std::strtod(out.c_str(), nullptr), value) << out;
  }
}

TEST(MetricsPage, EveryFamilyHasItsHelpAndTypeBeforeItsSamples) {
  MetricsSnapshot snapshot =
      Snapshot({Axis("CPU", "\\Processor(_Total)\\% Processor Time", 50, ValueState::kNormal)});
  snapshot.machines = {{"db1:9100", true}};
  snapshot.machine_count = 1;
  const std::string page = Page(snapshot);
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page.back(), '\n');

  std::map<std::string, std::string> types;  // family -> type, in the order declared
  std::set<std::string> helped;
  std::set<std::string> with_samples;
  for (const std::string& line : Lines(page)) {
    std::istringstream words(line);
    std::string first, name, type;
    words >> first;
    if (first == "#") {
      words >> type >> name;
      if (type == "HELP") {
        helped.insert(name);
        EXPECT_EQ(types.count(name), 0u) << "HELP after TYPE for " << name;
      }
      if (type == "TYPE") {
        std::string kind;
        words >> kind;
        EXPECT_TRUE(helped.count(name)) << name;
        EXPECT_TRUE(types.emplace(name, kind).second) << "declared twice: " << name;
      }
      continue;
    }
    std::string metric = first.substr(0, first.find('{'));
    for (const char* suffix : {"_bucket", "_sum", "_count"}) {
      const std::string s = suffix;
      const std::string base = metric.size() > s.size() && metric.ends_with(s)
                                   ? metric.substr(0, metric.size() - s.size())
                                   : metric;
      if (base != metric && types.count(base) && types[base] == "histogram") metric = base;
    }
    ASSERT_TRUE(types.count(metric)) << "sample before its TYPE: " << line;
    with_samples.insert(metric);
  }
  const std::map<std::string, std::string> expected = {
      {"corvane_axis_current_value", "gauge"},
      {"corvane_axis_average_value", "gauge"},
      {"corvane_axis_maximum_value", "gauge"},
      {"corvane_axis_state", "gauge"},
      {"corvane_axis_critical_value", "gauge"},
      {"corvane_axis_range_min", "gauge"},
      {"corvane_axis_range_max", "gauge"},
      {"corvane_samples_total", "counter"},
      {"corvane_last_sample_timestamp_seconds", "gauge"},
      {"corvane_sample_interval_seconds", "gauge"},
      {"corvane_sample_cpu_seconds", "histogram"},
      {"corvane_remote_machine_up", "gauge"},
  };
  EXPECT_EQ(types, expected);
  EXPECT_EQ(with_samples.size(), expected.size());  // no family is left empty here
}

TEST(MetricsPage, EachValueAndStateCarriesTheAxisLabels) {
  AxisMetrics cpu = Axis("CPU \"all\"", "\\\\db1:9100\\Processor(_Total)\\% Processor Time", 93.5,
                         ValueState::kCritical);
  cpu.machine = "db1:9100";
  cpu.object = "Processor";
  cpu.instance = "_Total";
  AxisMetrics gone =
      Axis("Disk", "\\PhysicalDisk(0 C:)\\% Disk Time", 0, ValueState::kNotAvailable);
  gone.object = "PhysicalDisk";
  gone.instance = "0 C:";
  const std::string page = Page(Snapshot({cpu, gone}));

  const std::string cpu_labels =
      "{axis=\"CPU \\\"all\\\"\",path=\"\\\\\\\\db1:9100\\\\Processor(_Total)\\\\% Processor "
      "Time\",machine=\"db1:9100\",object=\"Processor\",instance=\"_Total\"";
  const std::string disk_labels =
      "{axis=\"Disk\",path=\"\\\\PhysicalDisk(0 C:)\\\\% Disk Time\",machine=\"\","
      "object=\"PhysicalDisk\",instance=\"0 C:\"";
  EXPECT_EQ(
      Samples(page, "corvane_axis_current_value"),
      (std::map<std::string, std::string>{{cpu_labels + "}", "93.5"}, {disk_labels + "}", "NaN"}}));
  EXPECT_EQ(Samples(page, "corvane_axis_average_value")[cpu_labels + "}"], "46.75");
  EXPECT_EQ(Samples(page, "corvane_axis_maximum_value")[cpu_labels + "}"], "187");
  EXPECT_EQ(Samples(page, "corvane_axis_critical_value")[disk_labels + "}"], "80");
  EXPECT_EQ(Samples(page, "corvane_axis_range_max")[disk_labels + "}"], "100");

  const auto states = Samples(page, "corvane_axis_state");
  EXPECT_EQ(states.size(), 2u * 3 * 3);
  const auto state = [&](const std::string& labels, const char* series, const char* name) {
    return states.at(labels + ",series=\"" + series + "\",state=\"" + name + "\"}");
  };
  EXPECT_EQ(state(cpu_labels, "current", "critical"), "1");
  EXPECT_EQ(state(cpu_labels, "current", "normal"), "0");
  EXPECT_EQ(state(cpu_labels, "current", "not_available"), "0");
  EXPECT_EQ(state(cpu_labels, "average", "normal"), "1");
  EXPECT_EQ(state(cpu_labels, "maximum", "critical"), "1");
  EXPECT_EQ(state(disk_labels, "current", "not_available"), "1");
  EXPECT_EQ(state(disk_labels, "current", "normal"), "0");
}

TEST(MetricsPage, AnAxisThatRepeatsAnotherIsWrittenOnce) {
  const std::string page = Page(Snapshot({
      Axis("CPU", "\\Processor(0)\\% Processor Time", 10, ValueState::kNormal),
      Axis("CPU", "\\Processor(0)\\% Processor Time", 10, ValueState::kNormal),
      Axis("CPU", "\\Processor(1)\\% Processor Time", 20, ValueState::kNormal),
  }));
  EXPECT_EQ(Samples(page, "corvane_axis_current_value").size(), 2u);
  EXPECT_EQ(Samples(page, "corvane_axis_state").size(), 2u * 9);
}

TEST(MetricsPage, TheCostHistogramIsCumulativeAndEndsWithItsCount) {
  MetricsSnapshot snapshot = Snapshot({});
  snapshot.timing.NoteCost(0.5);
  snapshot.timing.NoteCost(7.0);  // beyond the last bound
  const std::string page = Page(snapshot);
  const auto buckets = Samples(page, "corvane_sample_cpu_seconds_bucket");
  EXPECT_EQ(buckets.size(), SampleTiming::kCostBounds.size() + 1);
  EXPECT_EQ(buckets.at("{le=\"0.0001\"}"), "0");
  EXPECT_EQ(buckets.at("{le=\"0.00025\"}"), "1");
  EXPECT_EQ(buckets.at("{le=\"0.0025\"}"), "1");
  EXPECT_EQ(buckets.at("{le=\"0.005\"}"), "2");
  EXPECT_EQ(buckets.at("{le=\"1\"}"), "3");
  EXPECT_EQ(buckets.at("{le=\"+Inf\"}"), "4");
  EXPECT_EQ(Samples(page, "corvane_sample_cpu_seconds_count").at(""), "4");
  EXPECT_DOUBLE_EQ(std::stod(Samples(page, "corvane_sample_cpu_seconds_sum").at("")),
                   0.0002 + 0.003 + 0.5 + 7.0);
  EXPECT_EQ(Samples(page, "corvane_samples_total").at(""), "2");
  EXPECT_EQ(Samples(page, "corvane_last_sample_timestamp_seconds").at(""), "1700000002.5");
  EXPECT_EQ(Samples(page, "corvane_sample_interval_seconds").at(""), "2");
}

constexpr const char* kPromtool = "/usr/bin/promtool";

// What promtool says of the page: its exit status and every line it wrote.
struct PromtoolVerdict {
  bool passed = false;
  std::string said;
};

PromtoolVerdict CheckWithPromtool(const std::string& page) {
  test_support::TempFolder folder;
  const std::string file = (folder / "page.txt").string();
  PromtoolVerdict verdict;
  if (std::FILE* out = std::fopen(file.c_str(), "w")) {
    std::fwrite(page.data(), 1, page.size(), out);
    std::fclose(out);
  } else {
    verdict.said = "cannot write " + file;
    return verdict;
  }
  const std::string command =
      std::string(kPromtool) + " check metrics < " + file + " > " + file + ".out 2>&1";
  const int status = std::system(command.c_str());
  if (std::FILE* in = std::fopen((file + ".out").c_str(), "r")) {
    for (int c; (c = std::fgetc(in)) != EOF;) verdict.said += static_cast<char>(c);
    std::fclose(in);
  }
  verdict.passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return verdict;
}

TEST(MetricsPage, PromtoolAcceptsAPageWithAwkwardNames) {
  if (!std::filesystem::exists(kPromtool)) {
    GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  }
  AxisMetrics remote =
      Axis("Remote \"CPU\"\nline two",
           "\\\\[2001:db8::7]:9100\\Processor(_Total)\\% Processor Time", 12, ValueState::kNormal);
  remote.machine = "[2001:db8::7]:9100";
  remote.object = "Processor";
  remote.instance = "_Total";
  MetricsSnapshot snapshot = Snapshot({
      remote,
      Axis("Größe ä", "\\LogicalDisk(C:\\)\\% Free Space", INFINITY, ValueState::kCritical),
      Axis("", "", 0, ValueState::kNotAvailable),
  });
  snapshot.machines = {{"[2001:db8::7]:9100", false}};
  snapshot.machine_count = 1;
  const PromtoolVerdict verdict = CheckWithPromtool(Page(snapshot));
  EXPECT_TRUE(verdict.passed) << verdict.said;
  EXPECT_EQ(verdict.said, "");  // not even a lint remark
}

TEST(MetricsPage, LabelValuesAreValidUtf8WhateverTheNamesBytes) {
  const std::string R(chart::utf8::kReplacementBytes);
  struct Case {
    const char* what;
    std::string raw;
    std::string written;
  };
  const Case cases[] = {
      {"two bytes kept", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"three bytes kept", "5 \xE2\x82\xAC", "5 \xE2\x82\xAC"},
      {"four bytes kept", "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},
      {"a real U+FFFD kept", "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
      {"latin-1 mount point", "/media/caf\xE9", "/media/caf" + R},
      {"overlong slash",
       "a\xC0\xAF"
       "b",
       "a" + R + R + "b"},
      {"overlong three-byte NUL", "\xE0\x80\x80", R + R + R},
      {"overlong four-byte", "\xF0\x82\x82\xAC", R + R + R + R},
      {"high surrogate", "\xED\xA0\x80", R + R + R},
      {"low surrogate", "x\xED\xBF\xBFy", "x" + R + R + R + "y"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
      {"lead bytes never used", "\xF5\xFF\xFE", R + R + R},
      {"stray continuation", "\x80\xBF", R + R},
      {"truncated at the end", "ok\xE2\x82", "ok" + R + R},
      {"truncated four-byte at the end", "\xF0\x9F\x98", R + R + R},
      {"truncated by a quote", "\xE2\"", R + "\\\""},
      {"truncated by a backslash", "\xC3\\", R + "\\\\"},
      {"truncated by a line feed", "\xF0\x9F\n", R + R + "\\n"},
      {"good after bad", "\xFF\xC3\xA9", R + "\xC3\xA9"},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    AppendLabelValue(&out, c.raw);
    EXPECT_EQ(out, "x" + c.written) << c.what;
  }
}

TEST(MetricsPage, PromtoolAcceptsAPageWhoseNamesAreArbitraryBytes) {
  if (!std::filesystem::exists(kPromtool)) {
    GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  }
  std::string every_byte;
  for (int b = 1; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
  AxisMetrics disk = Axis("Disk \xE9\xC0\xAF\xED\xA0\x80\xF0\x9F",
                          "\\LogicalDisk(/media/caf\xE9)\\Free", 40, ValueState::kNormal);
  disk.object = "LogicalDisk";
  disk.instance = every_byte;
  AxisMetrics reversed =
      Axis(std::string(every_byte.rbegin(), every_byte.rend()), "\\X\\Y", 1, ValueState::kNormal);
  reversed.machine = "\xFE\xFF:9100";
  MetricsSnapshot snapshot = Snapshot({disk, reversed});
  snapshot.machines = {{"\xFE\xFF:9100", true}};
  snapshot.machine_count = 1;
  const std::string page = Page(snapshot);
  const PromtoolVerdict verdict = CheckWithPromtool(page);
  EXPECT_TRUE(verdict.passed) << verdict.said;
  EXPECT_EQ(verdict.said, "");
  const std::string R(chart::utf8::kReplacementBytes);
  EXPECT_NE(page.find("axis=\"Disk " + R + R + R + R + R + R + R + R + "\""), std::string::npos);
  EXPECT_NE(page.find("corvane_remote_machine_up{machine=\"" + R + R + ":9100\"} 1\n"),
            std::string::npos);
}

}  // namespace
}  // namespace corvane::service
