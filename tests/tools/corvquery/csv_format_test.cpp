#include "tools/corvquery/csv_format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace corvane::corvquery {
namespace {

TEST(CsvField, QuotesOnlyWhatCsvRequires) {
  const struct {
    const char* text;
    const char* field;
  } cases[] = {
      {"\\Processor(_Total)\\% Processor Time", "\\Processor(_Total)\\% Processor Time"},
      {"", ""},
      {" padded ", " padded "},
      {"\\LogicalDisk(/mnt/a,b)\\% Free Space", "\"\\LogicalDisk(/mnt/a,b)\\% Free Space\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"\"", "\"\"\"\""},
      {"line\nbreak", "\"line\nbreak\""},
      {"carriage\rreturn", "\"carriage\rreturn\""},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(FormatValue, ShortestTextThatReadsBackExactly) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {12.5, "12.5"},
      {0.1, "0.1"},
      {100.0, "100"},
      {-1.0, "-1"},
      {1234567.0, "1234567"},
      {1e-7, "1e-07"},
      {std::numeric_limits<double>::quiet_NaN(), ""},
      {std::numeric_limits<double>::infinity(), ""},
      {-std::numeric_limits<double>::infinity(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatValue(c.value), c.text) << c.value;

  for (const double value : {1.0 / 3.0, 2.0 / 3.0 * 100.0, 6.02214076e23, 5e-324,
                             std::numeric_limits<double>::max(), 98.76543210987654}) {
    const std::string text = FormatValue(value);
    double back = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
    ASSERT_EQ(error, std::errc()) << text;
    EXPECT_EQ(end, text.data() + text.size()) << text;
    EXPECT_EQ(back, value) << text;
  }
}

TEST(FormatLocalTime, YearToSecondInTheLocalZone) {
  // The suite runs in UTC (see the test environment in query_tool_test.cpp).
  const auto time = std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + std::chrono::hours{6} +
                    std::chrono::minutes{7} + std::chrono::seconds{8} +
                    std::chrono::milliseconds{999};
  EXPECT_EQ(FormatLocalTime(time), "2024-03-05 06:07:08");
}

}  // namespace
}  // namespace corvane::corvquery
