#include "core/log_time.h"

#include <cstring>

namespace corvane {
namespace {

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// strftime(3) leaves the text unspecified for fields outside their ranges; refuse them instead.
bool InRange(const std::tm& t) {
  return t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_hour >= 0 &&
         t.tm_hour <= 23 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 && t.tm_mon <= 11 &&
         t.tm_wday >= 0 && t.tm_wday <= 6;
}

// Copies `pattern` into `out` with %A and %B replaced by the English names, so that strftime
// only ever formats numbers, which no locale changes. False when the result does not fit.
bool SubstituteNames(const std::tm& t, const char* pattern, char* out, std::size_t size) {
  std::size_t used = 0;
  auto put = [&](const char* text, std::size_t length) {
    if (size - used <= length) return false;
    std::memcpy(out + used, text, length);
    used += length;
    return true;
  };
  for (const char* p = pattern; *p != '\0'; ++p) {
    bool ok = true;
    if (p[0] == '%' && p[1] == 'A') {
      ok = put(kDayNames[t.tm_wday], std::strlen(kDayNames[t.tm_wday]));
      ++p;
    } else if (p[0] == '%' && p[1] == 'B') {
      ok = put(kMonthNames[t.tm_mon], std::strlen(kMonthNames[t.tm_mon]));
      ++p;
    } else if (p[0] == '%' && p[1] != '\0') {
      ok = put(p, 2);  // any other directive, "%%" included, goes to strftime whole
      ++p;
    } else {
      ok = put(p, 1);
    }
    if (!ok) return false;
  }
  out[used] = '\0';
  return true;
}

}  // namespace

std::optional<std::tm> SystemLocalTime() {
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return std::nullopt;
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::nullopt;
  return local;
}

std::string_view FormatLogTime(const std::optional<std::tm>& time, const char* pattern,
                               char (&out)[kLogTimeBufferSize]) {
  out[0] = '\0';
  if (!time || !InRange(*time)) return {};
  char plain[kLogTimeBufferSize * 2];
  if (!SubstituteNames(*time, pattern, plain, sizeof plain)) return {};
  const std::size_t length = std::strftime(out, kLogTimeBufferSize, plain, &*time);
  if (length == 0) {
    out[0] = '\0';  // did not fit: the contents are indeterminate
    return {};
  }
  return {out, length};
}

}  // namespace corvane
