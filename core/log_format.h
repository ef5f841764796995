// The texts of the activity log's two formats, HTML and CSV: headers, banners, rows and cells,
// appended to a caller's buffer. Pure functions; any thread.
//
// Names that reach the HTML page (the profile title, axis names, link targets) are escaped, so a
// profile shared with others cannot put markup or script into the log; plain names come out
// unchanged. CSV names lose the characters that would break the line into fields or lines.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/log_types.h"

namespace corvane::logtext {

// The end of every HTML log: overwritten by the next banner (26 bytes) or row (34 bytes).
inline constexpr std::string_view kHtmlEnd = "<a name=end></body></html>";
inline constexpr std::string_view kHtmlTableEnd = "</table><a name=end></body></html>";

enum class Arrow { kNone, kUp, kDown };

// Enough for "%.2lf" of any double: 309 integer digits, sign, point and two decimals.
inline constexpr std::size_t kValueBufferSize = 320;

// v as "%.2lf" would print it in the C locale, whatever locale the program has set (a decimal
// comma would split CSV cells). The text lives in `out`.
std::string_view FormatValue(double v, char (&out)[kValueBufferSize]);

// HTML header of a new file. `backup_name` is empty unless a backup was made just before.
void AppendHtmlHeader(std::string& out, std::string_view title, std::string_view log_name,
                      std::string_view backup_name);
// `started` is the local time as "on %A, %B %d, %Y at %H:%M:%S".
void AppendHtmlBanner(std::string& out, std::string_view started, int mode,
                      std::span<const LogAxis> axes);
// `even` picks the stripe colour: the row counter is even.
void AppendHtmlRowStart(std::string& out, bool even, std::string_view date, std::string_view time);
void AppendHtmlCell(std::string& out, std::string_view value, bool critical, Arrow arrow);
void AppendHtmlUnavailableCell(std::string& out);
void AppendHtmlRowEnd(std::string& out);

void AppendCsvHeader(std::string& out, std::string_view title);
// `started` is the local time as "%A %m/%d/%Y at %H:%M:%S".
void AppendCsvBanner(std::string& out, std::string_view started, std::span<const LogAxis> axes);
void AppendCsvRowStart(std::string& out, std::string_view date, std::string_view time);
void AppendCsvCell(std::string& out, std::string_view value);
void AppendCsvUnavailableCell(std::string& out);
void AppendCsvRowEnd(std::string& out);

// Text for HTML content: &, < and > become entities.
void AppendHtmlText(std::string& out, std::string_view text);
// A relative link target: characters that would end the attribute or change the URL's meaning
// (quote, #, %, ?, &, <, >, controls) are percent-encoded.
void AppendHref(std::string& out, std::string_view target);

}  // namespace corvane::logtext
