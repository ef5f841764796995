#include "tools/corvquery/csv_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>

namespace corvane::corvquery {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field;
  field.reserve(text.size() + 2);
  field += '"';
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string FormatValue(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";
  // Shortest round-trip form: never more digits than the double holds, never fewer.
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string FormatLocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return {};
  std::array<char, 32> buffer{};
  const std::size_t length =
      std::strftime(buffer.data(), buffer.size(), "%Y-%m-%d %H:%M:%S", &local);
  return std::string(buffer.data(), length);
}

}  // namespace corvane::corvquery
