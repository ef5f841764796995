#include "service/rose_picture.h"

#include <algorithm>
#include <memory>

#include "chart/picture_size.h"
#include "platform/linux/cairo/cairo_surface.h"
#include "service/layered_svg.h"

namespace corvane::service {

RosePicture::RosePicture(Draw draw, Render png) : draw_(std::move(draw)), png_(std::move(png)) {
  kept_.reserve(kKept);
}

const std::string& RosePicture::Svg(std::uint64_t picture, int width, int height) {
  std::string error;
  return *Get(PictureFormat::kSvg, picture, width, height, &error);
}

const std::string* RosePicture::Png(std::uint64_t picture, int width, int height,
                                    std::string* error) {
  return Get(PictureFormat::kPng, picture, width, height, error);
}

const std::string* RosePicture::Get(PictureFormat format, std::uint64_t picture, int width,
                                    int height, std::string* error) {
  ++asks_;
  auto same = [&](const Kept& kept) {
    return kept.format == format && kept.width == width && kept.height == height;
  };
  auto slot = std::find_if(kept_.begin(), kept_.end(), same);
  if (slot != kept_.end() && slot->picture == picture) {
    slot->used = asks_;
    return &slot->image;
  }
  std::string image;
  if (!Renderer(format)(draw_, width, height, &image, error)) return nullptr;
  ++draws_;
  if (slot == kept_.end()) {
    if (kept_.size() < kKept) {
      slot = kept_.emplace(kept_.end());
    } else {
      slot = std::min_element(kept_.begin(), kept_.end(),
                              [](const Kept& a, const Kept& b) { return a.used < b.used; });
    }
  }
  *slot = Kept{format, picture, width, height, asks_, std::move(image)};
  return &slot->image;
}

bool RosePicture::ParseSize(std::string_view text, int* width, int* height) {
  const std::optional<chart::PictureSize> size = chart::ParsePictureSize(text, kMinSide, kMaxSide);
  if (!size) return false;
  *width = size->width;
  *height = size->height;
  return true;
}

bool RosePicture::RenderSvg(const Draw& draw, int width, int height, std::string* image,
                            std::string* /*error*/) {
  LayeredSvg surface(width, height);
  if (draw) draw(surface, chart::Rect{0, 0, width, height});
  *image = surface.Document();
  return true;
}

bool RosePicture::RenderPng(const Draw& draw, int width, int height, std::string* image,
                            std::string* error) {
  const std::unique_ptr<cairo::CairoSurface> surface =
      cairo::CairoSurface::Create(width, height, error);
  if (surface == nullptr) return false;
  if (draw) draw(*surface, chart::Rect{0, 0, width, height});
  image->clear();
  return surface->WritePng(image, error);
}

}  // namespace corvane::service
