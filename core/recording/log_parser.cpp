#include "core/recording/log_parser.h"

namespace corvane::recording {
namespace {

constexpr std::string_view kCsvTitle = "Corvane Log: ";
constexpr std::string_view kHtmlTitle = "<h1>Corvane Log: ";
constexpr std::string_view kHtmlStarted = "<p><font size=+1><b>Started ";
constexpr std::string_view kHtmlStartedEnd = "</b></font><br>";
constexpr std::string_view kCsvStarted = "Started on ";

}  // namespace

LogParser::LogParser(LogKind kind, std::size_t columns) : kind_(kind), state_(State::kRows) {
  banner_.columns.resize(columns);
  has_banner_ = true;
}

LogParser::Event LogParser::Fail(std::int64_t number, std::string why) {
  error_ = "line " + std::to_string(number) + ": " + std::move(why);
  return Event::kError;
}

LogParser::Event LogParser::Feed(std::string_view line, std::int64_t offset, std::int64_t number) {
  switch (state_) {
    case State::kStart:
      if (line.starts_with("<html><body>")) {
        kind_ = LogKind::kHtml;
        state_ = State::kBetween;
        return Event::kNone;
      }
      if (line.starts_with(kCsvTitle)) {
        kind_ = LogKind::kCsv;
        title_ = line.substr(kCsvTitle.size());
        state_ = State::kBetween;
        return Event::kNone;
      }
      return Fail(number,
                  "this is not a Corvane activity log (it does not begin with "
                  "\"Corvane Log:\" or an HTML log's first line)");
    case State::kBetween:
      return Between(line, offset, number);
    case State::kHtmlBanner: {
      const int mode = ParseModeSentence(line);
      if (mode == 0 && !line.starts_with("Logging is set to track"))
        return Fail(number, "the banner has no \"Logging is set to track\" sentence");
      banner_.mode = mode;
      state_ = State::kHtmlHeadings;
      return Event::kNone;
    }
    case State::kHtmlHeadings:
      if (line.empty() || line.starts_with("<table") || line == " <tr>" ||
          line == "  <th>Date</th>" || line == "  <th>Time</th>")
        return Event::kNone;
      if (line == " </tr>") {
        state_ = State::kRows;
        has_banner_ = true;
        return Event::kBanner;
      }
      if (std::optional<std::string> name = ParseHtmlHeading(line)) {
        banner_.columns.push_back(std::move(*name));
        return Event::kNone;
      }
      return Fail(number, "the banner's column headings are damaged");
    case State::kCsvColumns: {
      if (!line.starts_with("Date,Time")) return Fail(number, "the banner has no column line");
      SplitCsv(line, &fields_);
      for (std::size_t i = 2; i < fields_.size(); ++i) banner_.columns.emplace_back(fields_[i]);
      state_ = State::kRows;
      has_banner_ = true;
      return Event::kBanner;
    }
    case State::kRows:
      if (kind_ == LogKind::kCsv) return CsvRow(line, offset, number);
      if (const std::optional<HtmlRowStart> start = ParseHtmlRowStart(line)) {
        row_.time = ParseRowTime(start->date, start->time);
        row_.cells.clear();
        row_.offset = offset;
        row_line_ = number;
        state_ = State::kHtmlRow;
        return Event::kNone;
      }
      return Between(line, offset, number);
    case State::kHtmlRow:
      if (line == " </tr>") {
        state_ = State::kRows;
        if (row_.cells.size() != banner_.columns.size()) {
          return Fail(row_line_, "the row has " + std::to_string(row_.cells.size()) +
                                     " cells where the banner names " +
                                     std::to_string(banner_.columns.size()) + " counters");
        }
        return Event::kRow;
      }
      if (const std::optional<Cell> cell = ParseHtmlCell(line)) {
        row_.cells.push_back(*cell);
        if (row_.cells.size() > banner_.columns.size())
          return Fail(number, "the row has more cells than the banner names counters");
        return Event::kNone;
      }
      return Fail(number,
                  "a damaged cell inside the row that begins on line " + std::to_string(row_line_));
  }
  return Event::kNone;
}

LogParser::Event LogParser::Between(std::string_view line, std::int64_t offset,
                                    std::int64_t number) {
  if (kind_ == LogKind::kHtml) {
    if (line.starts_with(kHtmlStarted)) {
      std::string_view text = line.substr(kHtmlStarted.size());
      if (!text.ends_with(kHtmlStartedEnd))
        return Fail(number, "the banner's start line is damaged");
      text.remove_suffix(kHtmlStartedEnd.size());
      banner_ = Banner{};
      banner_.started = ParseBannerTime(text, LogKind::kHtml);
      banner_.offset = offset;
      state_ = State::kHtmlBanner;
      return Event::kNone;
    }
    if (line.starts_with(kHtmlTitle)) {
      std::string_view title = line.substr(kHtmlTitle.size());
      if (title.ends_with("</h1>")) title.remove_suffix(5);
      title_ = title;
      return Event::kNone;
    }
    // The page's frame: the navigation line, blank lines, the ends of tables and of the page.
    if (line.empty() || line.starts_with("</table>") || line.starts_with("Navigate: ") ||
        line.starts_with("<a name=end>"))
      return Event::kNone;
    return Fail(number, "a line that is neither a banner nor a row");
  }
  if (line.empty()) return Event::kNone;
  if (line.starts_with(kCsvStarted)) {
    banner_ = Banner{};
    banner_.started = ParseBannerTime(line.substr(kCsvStarted.size()), LogKind::kCsv);
    banner_.offset = offset;
    state_ = State::kCsvColumns;
    return Event::kNone;
  }
  return Fail(number, "a line that is neither a banner nor a row");
}

LogParser::Event LogParser::CsvRow(std::string_view line, std::int64_t offset,
                                   std::int64_t number) {
  if (line.empty() || line.starts_with(kCsvStarted)) return Between(line, offset, number);
  SplitCsv(line, &fields_);
  const std::size_t columns = banner_.columns.size();
  if (fields_.size() != columns + 2) {
    return Fail(number,
                "the row has " + std::to_string(fields_.size() < 2 ? 0 : fields_.size() - 2) +
                    " cells where the banner names " + std::to_string(columns) + " counters");
  }
  row_.time = ParseRowTime(fields_[0], fields_[1]);
  if (!row_.time && !(fields_[0].empty() && fields_[1].empty()))
    return Fail(number, "the row's date or time is damaged");
  row_.cells.resize(columns);
  for (std::size_t i = 0; i < columns; ++i) {
    const std::optional<Cell> cell = ParseCsvCell(fields_[i + 2]);
    if (!cell) return Fail(number, "cell " + std::to_string(i + 1) + " is not a number");
    row_.cells[i] = *cell;
  }
  row_.offset = offset;
  return Event::kRow;
}

LogParser::Event LogParser::Finish(std::int64_t number) {
  if (state_ == State::kHtmlRow)
    return Fail(row_line_, "the row is cut off at the end of the file");
  if (state_ == State::kHtmlBanner || state_ == State::kHtmlHeadings ||
      state_ == State::kCsvColumns)
    return Fail(number, "the banner is cut off at the end of the file");
  if (state_ == State::kStart) return Fail(1, "the file is empty");
  return Event::kNone;
}

}  // namespace corvane::recording
