// A PNG file read back for tests: its header read by hand (signature and IHDR), its pixels
// decoded by cairo's own PNG reader, which the tests link. Test thread only.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test_support {

struct Rgba {
  int r = 0;
  int g = 0;
  int b = 0;
  int a = 0;  // 0 transparent .. 255 opaque

  bool operator==(const Rgba&) const = default;
};

// 0x00BBGGRR as an opaque pixel.
inline Rgba OpaqueOf(std::int32_t colour) {
  const auto bits = static_cast<std::uint32_t>(colour);
  return Rgba{static_cast<int>(bits & 0xFFU), static_cast<int>((bits >> 8) & 0xFFU),
              static_cast<int>((bits >> 16) & 0xFFU), 255};
}

class PngImage {
 public:
  // The width and height IHDR gives, when `png` begins with the PNG signature and an IHDR
  // chunk; false otherwise.
  static bool ReadHeader(std::string_view png, int* width, int* height) {
    static constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
    if (png.size() < 33 || png.substr(0, 8) != kSignature) return false;
    if (BigEndian(png, 8) != 13 || png.substr(12, 4) != "IHDR") return false;
    *width = static_cast<int>(BigEndian(png, 16));
    *height = static_cast<int>(BigEndian(png, 20));
    return true;
  }

  explicit PngImage(std::string_view png) : rest_(png) {
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(Read, this);
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
      width_ = cairo_image_surface_get_width(image);
      height_ = cairo_image_surface_get_height(image);
      const int stride = cairo_image_surface_get_stride(image);
      const unsigned char* data = cairo_image_surface_get_data(image);
      pixels_.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
      for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width_; ++x) pixels_.push_back(Unpremultiplied(row[x]));
      }
    }
    cairo_surface_destroy(image);
  }

  bool valid() const { return !pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel at (x, y); transparent outside the picture.
  Rgba At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Rgba{};
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }

 private:
  static std::uint32_t BigEndian(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  }

  static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
    auto* self = static_cast<PngImage*>(closure);
    if (self->rest_.size() < length) return CAIRO_STATUS_READ_ERROR;
    self->rest_.copy(reinterpret_cast<char*>(data), length);
    self->rest_.remove_prefix(length);
    return CAIRO_STATUS_SUCCESS;
  }

  // cairo's ARGB32: alpha in the top byte, colours premultiplied by it.
  static Rgba Unpremultiplied(std::uint32_t pixel) {
    const int a = static_cast<int>(pixel >> 24);
    if (a == 0) return Rgba{};
    const auto channel = [a](std::uint32_t value) {
      return static_cast<int>((value & 0xFFU) * 255U / static_cast<unsigned>(a));
    };
    return Rgba{channel(pixel >> 16), channel(pixel >> 8), channel(pixel), a};
  }

  std::string_view rest_;
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgba> pixels_;
};

}  // namespace corvane::test_support
