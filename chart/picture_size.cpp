#include "chart/picture_size.h"

#include <charconv>

namespace corvane::chart {
namespace {

std::optional<int> Side(std::string_view digits, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<PictureSize> ParsePictureSize(std::string_view text, int min_side, int max_side) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  const std::optional<int> width = Side(text.substr(0, x), min_side, max_side);
  const std::optional<int> height = Side(text.substr(x + 1), min_side, max_side);
  if (!width || !height) return std::nullopt;
  return PictureSize{*width, *height};
}

}  // namespace corvane::chart
