// The cells of corvquery's CSV output (RFC 4180 fields, values, local time stamps).
// Pure functions; any thread.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace corvane::corvquery {

// The text as one CSV field: in double quotes, with inner quotes doubled, when it holds a
// comma, a double quote, a carriage return or a line feed; unchanged otherwise.
std::string CsvField(std::string_view text);

// The shortest text that reads back as exactly the same double, in the C locale ("12.5",
// "1e-07"); "0" for either zero. Not-a-number and infinities give the empty cell: they are no
// reading a consumer could use.
std::string FormatValue(double value);

// The time in the local time zone as "%Y-%m-%d %H:%M:%S".
std::string FormatLocalTime(std::chrono::system_clock::time_point time);

}  // namespace corvane::corvquery
