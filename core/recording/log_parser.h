// Follows one activity-log file line by line: tells CSV from HTML by the first line, reads
// banners (start time, mode, column headings) and rows (date, time, one cell per column), and
// says which line breaks the grammar and why. Owns the state of the file being read. Not
// thread-safe: one parser per file being read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/recording/log_syntax.h"

namespace corvane::recording {

struct Banner {
  std::optional<LocalTime> started;  // none when the writer's clock failed
  int mode = 0;                      // HTML: 1..3 from the mode sentence; CSV: 0 (unknown)
  std::vector<std::string> columns;  // the axis names
  std::int64_t offset = 0;
};

struct Row {
  std::optional<LocalTime> time;  // year not set: the row carries none
  std::vector<Cell> cells;
  std::int64_t offset = 0;  // where the row's first line starts
};

class LogParser {
 public:
  enum class Event { kNone, kBanner, kRow, kError };

  LogParser() = default;
  // Starts in the middle of a file whose kind and banner are known (random access to a row).
  LogParser(LogKind kind, std::size_t columns);

  // One line (without its line end); `number` counts from 1 and goes into the error text.
  Event Feed(std::string_view line, std::int64_t offset, std::int64_t number);
  // The file ended. kError when it ends inside a row or a banner, or holds nothing.
  Event Finish(std::int64_t number);

  std::optional<LogKind> kind() const { return kind_; }
  const std::string& title() const { return title_; }
  const Banner& banner() const { return banner_; }
  const Row& row() const { return row_; }
  const std::string& error() const { return error_; }
  // Whether a banner was read at all.
  bool has_banner() const { return has_banner_; }

 private:
  enum class State { kStart, kBetween, kHtmlBanner, kHtmlHeadings, kCsvColumns, kRows, kHtmlRow };

  Event Fail(std::int64_t number, std::string why);
  Event Between(std::string_view line, std::int64_t offset, std::int64_t number);
  Event CsvRow(std::string_view line, std::int64_t offset, std::int64_t number);

  std::optional<LogKind> kind_;
  State state_ = State::kStart;
  std::string title_;
  Banner banner_;
  bool has_banner_ = false;
  Row row_;
  std::int64_t row_line_ = 0;
  std::vector<std::string_view> fields_;
  std::string error_;
};

}  // namespace corvane::recording
