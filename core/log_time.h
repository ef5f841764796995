// Local time for the activity log: where it comes from (a clock the engine can replace) and
// the texts made from it. Pure functions and a stateless clock; any thread.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string_view>

namespace corvane {

// Gives the local time now, or nothing when the system cannot convert it. The engine passes
// its own clock to tests so that every time text in a log is known in advance.
using LocalClock = std::function<std::optional<std::tm>()>;

// The system's clock: time(2) converted with localtime_r(3), the thread-safe form.
std::optional<std::tm> SystemLocalTime();

// Every time text is made in a buffer of this many characters, terminating zero included.
inline constexpr std::size_t kLogTimeBufferSize = 128;

// Time patterns of the log, in strftime(3) notation.
inline constexpr const char* kHtmlBannerTimePattern = "on %A, %B %d, %Y at %H:%M:%S";
inline constexpr const char* kCsvBannerTimePattern = "%A %m/%d/%Y at %H:%M:%S";
inline constexpr const char* kRowDatePattern = "%m/%d";
inline constexpr const char* kRowTimePattern = "%H:%M:%S";

// Formats `time` with a strftime pattern into `out` (kLogTimeBufferSize characters) and returns
// the text, which lives in `out`. Day and month names (%A, %B) are always the English ones of
// the C locale, whatever locale the program has set (the desktop's toolkit sets the user's), so
// that every deliverable writes the same bytes into a shared log. The text is empty when the
// time is missing or out of range, or when the result does not fit.
std::string_view FormatLogTime(const std::optional<std::tm>& time, const char* pattern,
                               char (&out)[kLogTimeBufferSize]);

}  // namespace corvane
