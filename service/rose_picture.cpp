#include "service/rose_picture.h"

#include "chart/picture_size.h"
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
  const std::optional<chart::PictureSize> size = chart::ParsePictureSize(text, kMinSide, kMaxSide);
  if (!size) return false;
  *width = size->width;
  *height = size->height;
  return true;
}

}  // namespace corvane::service
