// The pure pieces of the activity log: time texts, value texts, display values and escaping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/log_format.h"
#include "core/log_time.h"
#include "core/log_types.h"
#include "log_test_support.h"
#include "tests/support/case_name.h"

namespace corvane {
namespace {

struct TimeCase {
  const char* pattern;
  const char* expected;
};

class LogTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(LogTimeTest, FormatsTheFixedTime) {
  char buffer[kLogTimeBufferSize];
  EXPECT_EQ(FormatLogTime(testing_log::TestTime(), GetParam().pattern, buffer),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LogTimeTest,
    testing::Values(TimeCase{kHtmlBannerTimePattern, "on Saturday, December 07, 2024 at 20:35:09"},
                    TimeCase{kCsvBannerTimePattern, "Saturday 12/07/2024 at 20:35:09"},
                    TimeCase{kRowDatePattern, "12/07"}, TimeCase{kRowTimePattern, "20:35:09"},
                    TimeCase{"100%% %A%B", "100% SaturdayDecember"}),
    [](const testing::TestParamInfo<TimeCase>& info) {
      return test_support::CaseName(info.param.expected);
    });

TEST(LogTime, EmptyWhenTheTimeIsMissingInvalidOrTooLong) {
  char buffer[kLogTimeBufferSize];
  EXPECT_EQ(FormatLogTime(std::nullopt, kRowTimePattern, buffer), "");
  std::tm bad = testing_log::TestTime();
  bad.tm_mon = 12;
  EXPECT_EQ(FormatLogTime(bad, kHtmlBannerTimePattern, buffer), "");
  bad = testing_log::TestTime();
  bad.tm_wday = -1;
  EXPECT_EQ(FormatLogTime(bad, kCsvBannerTimePattern, buffer), "");
  // 127 characters fit with the terminating zero, 128 do not.
  const std::string fits(127, 'x');
  const std::string too_long(128, 'x');
  EXPECT_EQ(FormatLogTime(testing_log::TestTime(), fits.c_str(), buffer), fits);
  EXPECT_EQ(FormatLogTime(testing_log::TestTime(), too_long.c_str(), buffer), "");
  // Short as a pattern, too long once the day names are in.
  std::string names(40, 'x');
  for (int i = 0; i < 12; ++i) names += "%A";
  EXPECT_EQ(FormatLogTime(testing_log::TestTime(), names.c_str(), buffer), "");
}

TEST(LogTime, SystemClockGivesAValidLocalTime) {
  const auto now = SystemLocalTime();
  ASSERT_TRUE(now.has_value());
  char buffer[kLogTimeBufferSize];
  EXPECT_EQ(FormatLogTime(now, kRowDatePattern, buffer).size(), 5U);
}

struct ValueCase {
  double value;
  const char* text;
};

TEST(LogValue, TwoDecimalsAsPrintfInTheCLocale) {
  const ValueCase cases[] = {
      {10.001, "10.00"}, {10.004, "10.00"}, {10.006, "10.01"}, {0.125, "0.12"},
      {2.675, "2.67"},   {-0.001, "-0.00"}, {-1.0, "-1.00"},   {1e20, "100000000000000000000.00"},
      {0.0, "0.00"}};
  char buffer[logtext::kValueBufferSize];
  for (const ValueCase& c : cases) EXPECT_EQ(logtext::FormatValue(c.value, buffer), c.text);

  // Whatever the value, the text is the one snprintf gives in the C locale.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-8, 40);
  char expected[400];
  for (int i = 0; i < 2000; ++i) {
    const double v = mantissa(random) * std::pow(10.0, exponent(random));
    std::snprintf(expected, sizeof expected, "%.2f", v);
    ASSERT_EQ(logtext::FormatValue(v, buffer), expected) << v;
  }
  std::snprintf(expected, sizeof expected, "%.2f", -1.7976931348623157e308);
  EXPECT_EQ(logtext::FormatValue(-1.7976931348623157e308, buffer), expected);
}

TEST(LogValue, DisplayValueDividesAndInverts) {
  struct Case {
    LogAxis axis;
    double current;
    double shown;
  };
  const Case cases[] = {
      {{"", 1024, 4096, 3000, false}, 1048576, 1024},  // bytes shown as KB
      {{"", 1, 100, 80, true}, 15, 85},                // inverse: max minus value
      {{"", 1, 100, 80, true}, 100, 0},                // at the maximum: 0
      {{"", 1, 100, 80, true}, 150, 0},                // beyond it: 0
      {{"", 2, 100, 80, true}, 40, 80},                // divided first, then inverted
      {{"", 1, 100, 80, true}, -1.0, 101},             // the unavailable mark, inverted
  };
  for (const Case& c : cases) EXPECT_EQ(LogDisplayValue(c.axis, c.current), c.shown) << c.current;
}

TEST(LogText, EscapesOnlyWhatChangesMeaning) {
  struct Case {
    const char* text;
    const char* html;
    const char* href;
  };
  const Case cases[] = {
      {"% Processor Time", "% Processor Time", "%25 Processor Time"},
      {"My Profile-log.html", "My Profile-log.html", "My Profile-log.html"},
      {"a<b>&c", "a&lt;b&gt;&amp;c", "a%3Cb%3E%26c"},
      {"q\"#?", "q\"#?", "q%22%23%3F"},
      {"tab\tend", "tab\tend", "tab%09end"},
  };
  for (const Case& c : cases) {
    std::string html;
    std::string href;
    logtext::AppendHtmlText(html, c.text);
    logtext::AppendHref(href, c.text);
    EXPECT_EQ(html, c.html);
    EXPECT_EQ(href, c.href);
  }
}

}  // namespace
}  // namespace corvane
