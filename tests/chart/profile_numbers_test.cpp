#include "chart/profile_numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace corvane::chart {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ProfileIntegerTest, ReadsLeadingDigitsAndClampsAtTheEnds) {
  const struct {
    std::string_view text;
    std::int32_t expected;
  } cases[] = {
      {"20", 20},
      {"  -5", -5},
      {"+7", 7},
      {"\t\v\f\r\n42", 42},
      {"12.9", 12},
      {"3 4", 3},
      {"42abc", 42},
      {"0x10", 0},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"-0", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"000000000000000000000000000012", 12},
      {"99999999999999999999999999999", kMax},
      {"-99999999999999999999999999999", kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseProfileInteger(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(ProfileRealTest, ReadsDecimalNotationUpToTheFirstMisfit) {
  const struct {
    std::string_view text;
    double expected;
  } cases[] = {
      {"100.000000", 100.0},
      {"0.5", 0.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"-1.5e3", -1500.0},
      {"+2.5", 2.5},
      {" \t7E-2", 0.07},
      {"1e", 1.0},
      {"1e+", 1.0},
      {"1,5", 1.0},  // the point is the separator whatever the locale
      {"12abc", 12.0},
      {"0.0000004", 0.0000004},
      {"1e-400", 0.0},    // too small for a double
      {"-1e-400", -0.0},  // likewise, sign kept
      {"0e999999", 0.0},
      {"abc", 0.0},
      {"", 0.0},
      {".", 0.0},
      {".e5", 0.0},
      {"++1", 0.0},
      {"inf", 0.0},
      {"-infinity", 0.0},
      {"nan", 0.0},
      {"0x1p3", 0.0},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = ParseProfileReal(c.text);
    ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(*value, c.expected) << '"' << c.text << '"';
  }
}

TEST(ProfileRealTest, NumbersTooLargeForADoubleHaveNoValue) {
  for (std::string_view text : {"1e400", "-1e400", "1e99999999999999999999", "0.001e312",
                                "1000000000000000000000000000000e300"}) {
    EXPECT_FALSE(ParseProfileReal(text).has_value()) << text;
  }
  // The largest double and a number just under the underflow edge still read.
  EXPECT_EQ(ParseProfileReal("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseProfileReal("0.1e-307"), 1e-308);
}

}  // namespace
}  // namespace corvane::chart
