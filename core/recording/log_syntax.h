// The grammar of one line of an activity log, HTML or CSV: banner times, the mode sentence,
// column headings, row starts and value cells, read back into numbers. Pure functions; any
// thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::recording {

enum class LogKind { kCsv, kHtml };

// A local time as the log writes it, without a zone.
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// One value cell: a value as the chart showed it, or "N/A".
struct Cell {
  bool available = false;
  double value = 0.0;     // display units; 0 when not available
  bool critical = false;  // HTML only: the cell was pink
};

// "on Wednesday, December 09, 2026 at 00:28:09" (HTML) or "Wednesday 12/09/2026 at 00:28:09"
// (CSV): the text after "Started " in the banner. Nothing when it does not read as a time (the
// writer leaves it empty when the clock failed).
std::optional<LocalTime> ParseBannerTime(std::string_view text, LogKind kind);

// The HTML banner's mode sentence ("Logging is set to track ..."): 1, 2 or 3; 0 when unknown.
int ParseModeSentence(std::string_view line);

// Row date "12/09" and time "00:28:09"; the year is the caller's. Nothing when malformed.
std::optional<LocalTime> ParseRowTime(std::string_view date, std::string_view time);

// A CSV cell ("12.50" or "N/A"). Nothing when it is neither.
std::optional<Cell> ParseCsvCell(std::string_view text);

// An HTML cell line ("  <td nowrap bgcolor=pink>12.50 <font ...</td>"). Nothing when it is not
// one.
std::optional<Cell> ParseHtmlCell(std::string_view line);

// An HTML row start (" <tr bgcolor=aliceblue><td>12/09</td><td>00:28:09</td>"): date and time
// texts. Nothing when the line is not one.
struct HtmlRowStart {
  std::string_view date;
  std::string_view time;
};
std::optional<HtmlRowStart> ParseHtmlRowStart(std::string_view line);

// The heading of an HTML column line ("  <th>Processor</th>"), unescaped; nothing otherwise.
std::optional<std::string> ParseHtmlHeading(std::string_view line);

// Splits a CSV line at its commas.
void SplitCsv(std::string_view line, std::vector<std::string_view>* fields);

}  // namespace corvane::recording
