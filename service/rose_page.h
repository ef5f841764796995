// The browser's view of the service: the page at "/" with the wind rose inline and a table of
// its axes, and the events of the stream that keeps it live. Every text that comes from a
// profile, a log or the system is escaped for where it goes (HTML text or attribute, JSON
// string, event-stream line). Pure functions over a RoseView; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/metrics_snapshot.h"

namespace corvane::service {

// One axis as the table shows it: texts ready to escape, values in the log's format.
struct RoseRow {
  std::string name;
  std::string current;  // "n/a" when not available
  std::string average;
  std::string maximum;
  std::string critical;
  std::string_view state;  // "normal", "critical" or "not available" (the current value's)
};

// A recorded log's range of time, for the slider (local seconds since the epoch).
struct LogRange {
  std::int64_t start = 0;
  std::int64_t end = 0;
};

struct RoseView {
  std::string machine;
  std::string profile;
  std::string time;           // "YYYY-MM-DD HH:MM:SS" of the sample; empty before the first
  std::uint64_t picture = 0;  // counts the engine's repaints: which picture this is
  std::string_view svg;       // the picture as an SVG document
  std::vector<RoseRow> rows;
  std::optional<LogRange> log;         // set when the profile logs and its log can be read
  std::optional<std::int64_t> moment;  // set: the page shows this recorded moment
  std::string note;  // a sentence about the picture ("Recorded ..."), may be empty
};

// The rows of a snapshot's axes.
std::vector<RoseRow> RowsOf(const MetricsSnapshot& snapshot);
// "YYYY-MM-DD HH:MM:SS" in local time; empty for 0 (no sample yet).
std::string LocalTimeText(double unix_seconds);

// `text` for HTML text and attribute values alike: & < > " ' escaped, malformed UTF-8 and
// control characters other than tab and line feed replaced by U+FFFD.
void AppendHtmlEscaped(std::string* out, std::string_view text);
// `text` as a JSON string, quotes included, always valid UTF-8.
void AppendJsonString(std::string* out, std::string_view text);

// The whole page.
void AppendRosePage(const RoseView& view, std::string* out);

// One event of the stream: "id", "event: sample" and the data, whose first line is a JSON
// object of the picture id, whether the picture comes whole ("still": true), the time and every
// row's values and state, and whose other lines are the SVG document's, or with `moving_only`
// only its moving group (<g id="moving">...</g>), for a reader that has the rest of it already.
// No line of data can end the event or start a field of its own.
void AppendSampleEvent(const RoseView& view, std::string* out, bool moving_only = false);

// What a stream starts with: the retry time a browser reconnects after (milliseconds).
void AppendStreamStart(std::string* out, int retry_ms);

// The SVG element of a document as a page holds it: from "<svg" on, without the XML
// declaration before it and without the root's style attribute, which the page's policy
// refuses (its style sheet says the same).
void AppendInlineSvg(std::string* out, std::string_view document);

// The page's script and style, served from the program itself.
std::string_view RoseScript();
std::string_view RoseStyle();

}  // namespace corvane::service
