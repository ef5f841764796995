#include "core/recording/log_syntax.h"

#include <array>
#include <charconv>

namespace corvane::recording {
namespace {

bool ConsumePrefix(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix) return false;
  text->remove_prefix(prefix.size());
  return true;
}

// Exactly `digits` decimal digits.
bool ConsumeNumber(std::string_view* text, std::size_t digits, int* value) {
  if (text->size() < digits) return false;
  int result = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = (*text)[i];
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  text->remove_prefix(digits);
  *value = result;
  return true;
}

bool ConsumeClock(std::string_view* text, LocalTime* time) {
  return ConsumeNumber(text, 2, &time->hour) && ConsumePrefix(text, ":") &&
         ConsumeNumber(text, 2, &time->minute) && ConsumePrefix(text, ":") &&
         ConsumeNumber(text, 2, &time->second);
}

bool Sound(const LocalTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 &&
         t.minute <= 59 && t.second <= 61;
}

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

void SkipWeekday(std::string_view* text) {
  while (!text->empty() && (*text)[0] >= 'A' && ((*text)[0] | 0x20) >= 'a' &&
         ((*text)[0] | 0x20) <= 'z')
    text->remove_prefix(1);
}

}  // namespace

std::optional<LocalTime> ParseBannerTime(std::string_view text, LogKind kind) {
  LocalTime t;
  if (kind == LogKind::kHtml) {
    if (!ConsumePrefix(&text, "on ")) return std::nullopt;
    SkipWeekday(&text);
    if (!ConsumePrefix(&text, ", ")) return std::nullopt;
    t.month = 0;
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
      if (ConsumePrefix(&text, kMonths[m])) {
        t.month = static_cast<int>(m) + 1;
        break;
      }
    }
    if (t.month == 0 || !ConsumePrefix(&text, " ") || !ConsumeNumber(&text, 2, &t.day) ||
        !ConsumePrefix(&text, ", ") || !ConsumeNumber(&text, 4, &t.year))
      return std::nullopt;
  } else {
    SkipWeekday(&text);
    if (!ConsumePrefix(&text, " ") || !ConsumeNumber(&text, 2, &t.month) ||
        !ConsumePrefix(&text, "/") || !ConsumeNumber(&text, 2, &t.day) ||
        !ConsumePrefix(&text, "/") || !ConsumeNumber(&text, 4, &t.year))
      return std::nullopt;
  }
  if (!ConsumePrefix(&text, " at ") || !ConsumeClock(&text, &t) || !text.empty() || !Sound(t))
    return std::nullopt;
  return t;
}

int ParseModeSentence(std::string_view line) {
  if (!ConsumePrefix(&line, "Logging is set to track ")) return 0;
  if (line.starts_with("every update of counter values.")) return 1;
  if (line.starts_with("changes in counter values only.")) return 2;
  if (line.starts_with("changes in counter states only.")) return 3;
  return 0;
}

std::optional<LocalTime> ParseRowTime(std::string_view date, std::string_view time) {
  LocalTime t;
  if (!ConsumeNumber(&date, 2, &t.month) || !ConsumePrefix(&date, "/") ||
      !ConsumeNumber(&date, 2, &t.day) || !date.empty() || !ConsumeClock(&time, &t) ||
      !time.empty() || !Sound(t))
    return std::nullopt;
  return t;
}

std::optional<Cell> ParseCsvCell(std::string_view text) {
  if (text == "N/A") return Cell{};
  Cell cell;
  cell.available = true;
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), cell.value, std::chars_format::fixed);
  if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || text.empty())
    return std::nullopt;
  return cell;
}

std::optional<Cell> ParseHtmlCell(std::string_view line) {
  if (!ConsumePrefix(&line, "  <td nowrap ")) return std::nullopt;
  const std::size_t close = line.find('>');
  if (close == std::string_view::npos || !line.ends_with("</td>")) return std::nullopt;
  const std::string_view attributes = line.substr(0, close);
  std::string_view content = line.substr(close + 1, line.size() - close - 1 - 5);
  if (content == "N/A") return Cell{};
  const std::size_t end = content.find_first_of(" <");
  const std::string_view number = content.substr(0, end);
  std::optional<Cell> cell = ParseCsvCell(number);
  if (!cell || !cell->available) return std::nullopt;
  cell->critical = attributes == "bgcolor=pink";
  return cell;
}

std::optional<HtmlRowStart> ParseHtmlRowStart(std::string_view line) {
  if (!ConsumePrefix(&line, " <tr bgcolor=")) return std::nullopt;
  const std::size_t open = line.find("><td>");
  if (open == std::string_view::npos) return std::nullopt;
  line.remove_prefix(open + 5);
  const std::size_t middle = line.find("</td><td>");
  if (middle == std::string_view::npos || !line.ends_with("</td>")) return std::nullopt;
  HtmlRowStart start;
  start.date = line.substr(0, middle);
  start.time = line.substr(middle + 9, line.size() - middle - 9 - 5);
  return start;
}

std::optional<std::string> ParseHtmlHeading(std::string_view line) {
  if (!ConsumePrefix(&line, "  <th>") || !line.ends_with("</th>")) return std::nullopt;
  line.remove_suffix(5);
  std::string name;
  while (!line.empty()) {
    if (ConsumePrefix(&line, "&amp;")) {
      name += '&';
    } else if (ConsumePrefix(&line, "&lt;")) {
      name += '<';
    } else if (ConsumePrefix(&line, "&gt;")) {
      name += '>';
    } else {
      name += line[0];
      line.remove_prefix(1);
    }
  }
  return name;
}

void SplitCsv(std::string_view line, std::vector<std::string_view>* fields) {
  fields->clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      fields->push_back(line.substr(start));
      return;
    }
    fields->push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

}  // namespace corvane::recording
