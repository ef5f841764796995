#include "service/rose_picture.h"

#include <charconv>

#include "chart/svg_surface.h"

namespace corvane::service {

const std::string& RosePicture::Svg(std::uint64_t picture, int width, int height) {
  Kept& kept = width == kDefaultWidth && height == kDefaultHeight ? default_ : other_;
  if (kept.valid && kept.picture == picture && kept.width == width && kept.height == height) {
    return kept.svg;
  }
  chart::SvgSurface surface(width, height);
  if (draw_) draw_(surface, chart::Rect{0, 0, width, height});
  kept.svg = surface.Document();
  kept.valid = true;
  kept.picture = picture;
  kept.width = width;
  kept.height = height;
  ++draws_;
  return kept.svg;
}

bool RosePicture::ParseSize(std::string_view text, int* width, int* height) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const auto side = [](std::string_view digits, int* value) {
    if (digits.empty() || digits.size() > 5) return false;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
    return result.ec == std::errc{} && result.ptr == digits.data() + digits.size() &&
           *value >= kMinSide && *value <= kMaxSide;
  };
  return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

}  // namespace corvane::service
