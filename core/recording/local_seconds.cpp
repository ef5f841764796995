#include "core/recording/local_seconds.h"

#include <cstdio>
#include <ctime>

namespace corvane::recording {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::int64_t LocalSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
             86400 +
         t.hour * 3600 + t.minute * 60 + t.second;
}

LocalTime FromLocalSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::optional<std::int64_t> LocalSecondsAt(double unix_seconds) {
  if (!(unix_seconds > 0)) return std::nullopt;
  const auto seconds = static_cast<std::time_t>(unix_seconds);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return LocalSeconds({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec});
}

std::string FormatLocalSeconds(std::int64_t seconds) {
  const LocalTime t = FromLocalSeconds(seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::optional<std::int64_t> ParseLocalSeconds(std::string_view text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  const auto number = [&](std::size_t at, std::size_t digits, int* value) {
    int result = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      result = result * 10 + (text[i] - '0');
    }
    *value = result;
    return true;
  };
  LocalTime t;
  if (!number(0, 4, &t.year) || !number(5, 2, &t.month) || !number(8, 2, &t.day) ||
      !number(11, 2, &t.hour) || !number(14, 2, &t.minute) || !number(17, 2, &t.second))
    return std::nullopt;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59)
    return std::nullopt;
  return LocalSeconds(t);
}

}  // namespace corvane::recording
