#include "platform/remote/prometheus_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/platform/remote/remote_fixtures.h"
#include "tests/support/case_name.h"

namespace corvane::remote {
namespace {

struct ParsedSample {
  std::string name;
  std::vector<std::pair<std::string, std::string>> labels;
  double value = 0;
  bool has_timestamp = false;
  std::int64_t timestamp_ms = 0;
  MetricType type = MetricType::kUntyped;
};

// Every sample of a page, copied out; fails the test when the page does not parse.
std::vector<ParsedSample> ParseAll(std::string_view page) {
  ExpositionParser parser(page);
  std::vector<ParsedSample> out;
  Sample sample;
  while (true) {
    const auto result = parser.Next(&sample);
    if (result == ExpositionParser::Result::kEnd) break;
    if (result == ExpositionParser::Result::kError) {
      ADD_FAILURE() << "line " << parser.error().line << ": " << parser.error().reason;
      break;
    }
    ParsedSample copy{std::string(sample.name), {},         sample.value, sample.has_timestamp,
                      sample.timestamp_ms,      sample.type};
    for (const Label& label : sample.labels)
      copy.labels.emplace_back(std::string(label.name), std::string(label.value));
    out.push_back(std::move(copy));
  }
  return out;
}

using Labels = std::vector<std::pair<std::string, std::string>>;

struct LineCase {
  const char* page;
  const char* name;
  Labels labels;
  double value;
  bool has_timestamp = false;
  std::int64_t timestamp_ms = 0;
};

class WellFormedLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(WellFormedLine, GivesNameLabelsValueAndTimestamp) {
  const LineCase& c = GetParam();
  const auto samples = ParseAll(c.page);
  ASSERT_EQ(samples.size(), 1u) << c.page;
  EXPECT_EQ(samples[0].name, c.name);
  EXPECT_EQ(samples[0].labels, c.labels);
  if (std::isnan(c.value)) {
    EXPECT_TRUE(std::isnan(samples[0].value));
  } else {
    EXPECT_EQ(samples[0].value, c.value);
  }
  EXPECT_EQ(samples[0].has_timestamp, c.has_timestamp);
  EXPECT_EQ(samples[0].timestamp_ms, c.timestamp_ms);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Prometheus, WellFormedLine,
    ::testing::Values(
        LineCase{"up 1\n", "up", {}, 1}, LineCase{"up{} 1\n", "up", {}, 1},
        LineCase{"a{b=\"c\"} 2\n", "a", {{"b", "c"}}, 2},
        LineCase{"a{b=\"c\",} 2\n", "a", {{"b", "c"}}, 2},  // trailing comma
        LineCase{"a { b = \"c\" , d=\"e\" } 2\n", "a", {{"b", "c"}, {"d", "e"}}, 2},
        LineCase{"a\t{b=\"c\"}\t3\n", "a", {{"b", "c"}}, 3},
        LineCase{"a{b=\"\"} 3\n", "a", {{"b", ""}}, 3}, LineCase{"  a 4  \n", "a", {}, 4},
        LineCase{"a 5\r\n", "a", {}, 5},
        LineCase{":ns:metric_name_1 6\n", ":ns:metric_name_1", {}, 6},
        LineCase{"a{b=\"x\\\"y\\\\z\\nw\"} 7\n", "a", {{"b", "x\"y\\z\nw"}}, 7},
        LineCase{"a{b=\"C:\\\\pagefile.sys\"} 7\n", "a", {{"b", "C:\\pagefile.sys"}}, 7},
        LineCase{"a{b=\"curly } and , inside\"} 8\n", "a", {{"b", "curly } and , inside"}}, 8},
        LineCase{"a 1.884133e+06\n", "a", {}, 1884133}, LineCase{"a -125000\n", "a", {}, -125000},
        LineCase{"a 9007199254740993\n", "a", {}, 9007199254740992.0},
        LineCase{"a .5\n", "a", {}, 0.5}, LineCase{"a -0.25E-2\n", "a", {}, -0.0025},
        LineCase{"a +3\n", "a", {}, 3}, LineCase{"a NaN\n", "a", {}, kNaN},
        LineCase{"a nan\n", "a", {}, kNaN}, LineCase{"a +Inf\n", "a", {}, kInf},
        LineCase{"a -Inf\n", "a", {}, -kInf}, LineCase{"a Inf\n", "a", {}, kInf},
        LineCase{"a 1 1700000000123\n", "a", {}, 1, true, 1700000000123},
        LineCase{"a 1 -5\n", "a", {}, 1, true, -5},
        LineCase{"a{b=\"c\"} 1 1700000000123 \n", "a", {{"b", "c"}}, 1, true, 1700000000123}),
    [](const ::testing::TestParamInfo<LineCase>& info) {
      return test_support::NumberedCaseName(info, info.param.page);
    });

TEST(ExpositionParser, SkipsCommentsHelpTypeAndEmptyLines) {
  const auto samples = ParseAll(
      "# just a comment\n"
      "#\n"
      "\n"
      "   \n"
      "# HELP a Text with \\\\ and \\n escapes and \"quotes\".\n"
      "# TYPE a counter\n"
      "a 1\n"
      "#HELP b no space after the hash\n"
      "# EOF\n");
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].name, "a");
  EXPECT_EQ(samples[0].type, MetricType::kCounter);
}

TEST(ExpositionParser, SamplesCarryTheirFamilysType) {
  const auto samples = ParseAll(
      "# TYPE g gauge\n"
      "g 1\n"
      "# TYPE s summary\n"
      "s{quantile=\"0.5\"} 2\n"
      "s_sum 3\n"
      "s_count 4\n"
      "# TYPE h histogram\n"
      "h_bucket{le=\"+Inf\"} 5\n"
      "h_sum 6\n"
      "h_count 7\n"
      "h_other 8\n"
      "untyped_one 9\n");
  const MetricType expected[] = {
      MetricType::kGauge,     MetricType::kSummary,   MetricType::kSummary,
      MetricType::kSummary,   MetricType::kHistogram, MetricType::kHistogram,
      MetricType::kHistogram, MetricType::kUntyped,   MetricType::kUntyped};
  ASSERT_EQ(samples.size(), std::size(expected));
  for (std::size_t i = 0; i < samples.size(); ++i)
    EXPECT_EQ(samples[i].type, expected[i]) << samples[i].name;
  EXPECT_EQ(samples[4].labels, (Labels{{"le", "+Inf"}}));
  EXPECT_EQ(samples[4].value, 5);
}

struct BrokenCase {
  std::string page;
  std::size_t line;    // where the error is reported
  const char* reason;  // a part of the reason
};

class BrokenPage : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPage, FailsWithLineAndReason) {
  const BrokenCase& c = GetParam();
  ExpositionParser parser(c.page);
  Sample sample;
  ExpositionParser::Result result;
  while ((result = parser.Next(&sample)) == ExpositionParser::Result::kSample) {
  }
  ASSERT_EQ(result, ExpositionParser::Result::kError) << c.page;
  EXPECT_EQ(parser.error().line, c.line) << c.page;
  EXPECT_NE(std::string(parser.error().reason).find(c.reason), std::string::npos)
      << "reason: " << parser.error().reason;
  EXPECT_EQ(parser.Next(&sample), ExpositionParser::Result::kError) << "an error stays";
}

std::string ManyLabels(int count) {
  std::string line = "a{";
  for (int i = 0; i < count; ++i) line += "l" + std::to_string(i) + "=\"v\",";
  return line + "} 1\n";
}

INSTANTIATE_TEST_SUITE_P(
    Prometheus, BrokenPage,
    ::testing::Values(
        // A transfer cut off: the last line has no line feed, its number may be cut too.
        BrokenCase{"a 1\nb 12", 2, "ends inside a line"},
        BrokenCase{"a 1\n# HELP b cut", 2, "ends inside a line"},
        BrokenCase{"a{b=\"c\n", 1, "not closed"},
        BrokenCase{"a{b=\"c\"\n", 1, "expected ',' or '}'"},
        BrokenCase{"a{b=\"c\" d=\"e\"} 1\n", 1, "expected ',' or '}'"},
        BrokenCase{"a{b=\"\\x\"} 1\n", 1, "unknown escape"},
        BrokenCase{"a{b=\"c\\\"} 1\n", 1, "not closed"},
        BrokenCase{"a{b=c} 1\n", 1, "double quotes"},
        BrokenCase{"a{1b=\"c\"} 1\n", 1, "label name"},
        BrokenCase{"a{b-c=\"d\"} 1\n", 1, "label name"}, BrokenCase{"a{b} 1\n", 1, "label name"},
        BrokenCase{"a{b=\"c\"}\n", 1, "no value"}, BrokenCase{"a\n", 1, "no value"},
        BrokenCase{"1a 1\n", 1, "metric name"}, BrokenCase{"a-b 1\n", 1, "invalid character"},
        BrokenCase{"ok 1\nok2 2\na one\n", 3, "not a number"},
        BrokenCase{"a 0x10\n", 1, "not a number"}, BrokenCase{"a nan(1)\n", 1, "not a number"},
        BrokenCase{"a +-1\n", 1, "not a number"}, BrokenCase{"a 1e999\n", 1, "not a number"},
        BrokenCase{"a 1 2.5\n", 1, "timestamp"}, BrokenCase{"a 1 2 3\n", 1, "after the timestamp"},
        BrokenCase{"# TYPE a countr\na 1\n", 1, "unknown metric type"},
        BrokenCase{"# TYPE 1a counter\n", 1, "TYPE line"},
        BrokenCase{"# TYPE a counter extra\n", 1, "after the metric type"},
        BrokenCase{"# HELP\n", 1, "HELP line"},
        BrokenCase{ManyLabels(33), 1, "more than 32 labels"},
        // An escaped value must fit the parser's unescape buffer; it never grows.
        BrokenCase{"a{b=\"" + std::string(5000, 'x') + "\\n\"} 1\n", 1, "too long"}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) {
      return test_support::NumberedCaseName(info, info.param.page);
    });

TEST(ExpositionParser, ThirtyTwoLabelsFit) {
  const auto samples = ParseAll(ManyLabels(32));
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].labels.size(), 32u);
}

TEST(ExpositionParser, HugeUnescapedLabelIsAViewIntoThePage) {
  const std::string value(1 << 20, 'v');
  const std::string page = "a{big=\"" + value + "\",small=\"s\"} 1\n";
  ExpositionParser parser(page);
  Sample sample;
  ASSERT_EQ(parser.Next(&sample), ExpositionParser::Result::kSample);
  ASSERT_EQ(sample.labels.size(), 2u);
  EXPECT_EQ(sample.labels[0].value.size(), value.size());
  EXPECT_EQ(sample.labels[0].value.data(), page.data() + 7) << "no copy of an unescaped value";
  EXPECT_EQ(sample.labels[1].value, "s");
}

TEST(ExpositionParser, EmptyPageHasNoSamples) {
  ExpositionParser parser("");
  Sample sample;
  EXPECT_EQ(parser.Next(&sample), ExpositionParser::Result::kEnd);
}

struct RecordedPage {
  const char* file;
  std::size_t samples;
};

class RecordedPageTest : public ::testing::TestWithParam<RecordedPage> {};

TEST_P(RecordedPageTest, ParsesEverySample) {
  const std::string page = testing::ReadExporterFixture(GetParam().file);
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(ParseAll(page).size(), GetParam().samples);
}

// The sample counts are those of `grep -v '^#' | grep -c .` on each file.
INSTANTIATE_TEST_SUITE_P(Exporters, RecordedPageTest,
                         ::testing::Values(RecordedPage{"node_exporter_1.5.0.prom", 507},
                                           RecordedPage{"node_exporter_1.5.0_processes.prom", 518},
                                           RecordedPage{"windows_exporter_0.31_a.prom", 102},
                                           RecordedPage{"windows_exporter_0.25.prom", 36}),
                         [](const ::testing::TestParamInfo<RecordedPage>& info) {
                           return test_support::CaseName(info.param.file);
                         });

TEST(ExpositionParser, NodeExporterPageValues) {
  const auto samples = ParseAll(testing::ReadExporterFixture("node_exporter_1.5.0.prom"));
  auto find = [&](std::string_view name, const Labels& labels) -> const ParsedSample* {
    for (const ParsedSample& s : samples) {
      if (s.name == name && s.labels == labels) return &s;
    }
    return nullptr;
  };
  const ParsedSample* memory = find("node_memory_MemTotal_bytes", {});
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory->value, 25276182528.0);
  EXPECT_EQ(memory->type, MetricType::kGauge);
  const ParsedSample* idle = find("node_cpu_seconds_total", {{"cpu", "1"}, {"mode", "idle"}});
  ASSERT_NE(idle, nullptr);
  EXPECT_EQ(idle->type, MetricType::kCounter);
  const ParsedSample* avail =
      find("node_filesystem_avail_bytes",
           {{"device", "/dev/vda"}, {"fstype", "ext4"}, {"mountpoint", "/"}});
  ASSERT_NE(avail, nullptr);
  EXPECT_EQ(avail->value, 8.562089984e+10);
  const ParsedSample* speed = find("node_network_speed_bytes", {{"device", "eth0"}});
  ASSERT_NE(speed, nullptr);
  EXPECT_EQ(speed->value, -125000);
  const ParsedSample* quantile = find("go_gc_duration_seconds", {{"quantile", "0.5"}});
  ASSERT_NE(quantile, nullptr);
  EXPECT_EQ(quantile->type, MetricType::kSummary);
}

TEST(ParseSampleValue, RefusesWhatGoRefuses) {
  double value = 0;
  for (const char* text : {"", "+", "-", "1.2.3", "1e", "e5", "0x1p3", "1_000", "Infinite",
                           "nan(x)", " 1", "1 ", "++1"}) {
    EXPECT_FALSE(ParseSampleValue(text, &value)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace corvane::remote
