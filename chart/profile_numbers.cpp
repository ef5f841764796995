#include "chart/profile_numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace corvane::chart {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Moves past white space and a sign; true when the sign was '-'.
bool SkipSpaceAndSign(std::string_view text, std::size_t* pos) {
  while (*pos < text.size() && IsSpace(text[*pos])) ++*pos;
  bool negative = false;
  if (*pos < text.size() && (text[*pos] == '+' || text[*pos] == '-')) {
    negative = text[*pos] == '-';
    ++*pos;
  }
  return negative;
}

// For a number std::from_chars found out of range: true when it is too large (rather than
// too small) for a double. The decimal exponent of its first non-zero digit decides.
bool Overflows(std::string_view number) {
  std::size_t pos = 0;
  long long leading = 0;  // position of the first non-zero digit relative to the point
  bool seen_point = false;
  bool seen_digit = false;
  long long integer_digits = 0;
  long long zeros_after_point = 0;
  for (; pos < number.size(); ++pos) {
    const char c = number[pos];
    if (c == '.') {
      seen_point = true;
    } else if (IsDigit(c)) {
      if (c != '0') seen_digit = true;
      if (!seen_digit) {
        if (seen_point) ++zeros_after_point;
      } else if (!seen_point) {
        ++integer_digits;
      }
    } else {
      break;
    }
  }
  leading = integer_digits > 0 ? integer_digits - 1 : -(zeros_after_point + 1);
  long long exponent = 0;
  if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
    ++pos;
    bool negative = false;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
      negative = number[pos] == '-';
      ++pos;
    }
    for (; pos < number.size() && IsDigit(number[pos]); ++pos) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[pos] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return leading + exponent > 0;
}

}  // namespace

std::int32_t ParseProfileInteger(std::string_view text) {
  std::size_t pos = 0;
  const bool negative = SkipSpaceAndSign(text, &pos);
  // Gather the magnitude one past the 32-bit range at most, so nothing can overflow.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

std::optional<double> ParseProfileReal(std::string_view text) {
  std::size_t pos = 0;
  const bool negative = SkipSpaceAndSign(text, &pos);
  // std::from_chars would also take "inf", "nan" and a second sign; only a digit or a point
  // may start a number here.
  if (pos == text.size() || !(IsDigit(text[pos]) || text[pos] == '.')) return 0.0;
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  double value = 0.0;
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0;  // such as "." or ".e5"
  if (result.ec == std::errc::result_out_of_range) {
    if (Overflows(std::string_view(first, static_cast<std::size_t>(last - first)))) {
      return std::nullopt;
    }
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace corvane::chart
