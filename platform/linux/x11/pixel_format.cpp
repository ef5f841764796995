#include "platform/linux/x11/pixel_format.h"

#include <bit>
#include <cstring>

namespace corvane::x11 {
namespace {

// One 8-bit channel scaled into the bits of `mask`.
std::uint32_t Place(std::uint32_t channel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int width = std::popcount(mask);
  const std::uint32_t value = width >= 8 ? channel << (width - 8) : channel >> (8 - width);
  return (value << shift) & mask;
}

bool Contiguous(std::uint32_t mask) {
  if (mask == 0) return false;
  const std::uint32_t low = mask >> std::countr_zero(mask);
  return (low & (low + 1)) == 0;
}

}  // namespace

std::string PixelFormat::Unsupported() const {
  if (!true_colour) {
    return "the window's visual has a colour map (" + std::to_string(depth) +
           " bits); only true-colour visuals are supported";
  }
  if (bits_per_pixel != 8 && bits_per_pixel != 16 && bits_per_pixel != 24 && bits_per_pixel != 32) {
    return "the window's pixels have " + std::to_string(bits_per_pixel) +
           " bits; only 8, 16, 24 and 32 are supported";
  }
  if (!Contiguous(red_mask) || !Contiguous(green_mask) || !Contiguous(blue_mask)) {
    return "the window's visual has unusual colour masks";
  }
  if (scanline_pad <= 0 || scanline_pad % 8 != 0) return "the window's rows are not byte-padded";
  return {};
}

std::size_t PixelFormat::BytesPerRow(int width) const {
  const std::size_t bits =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel);
  const std::size_t pad = static_cast<std::size_t>(scanline_pad);
  return (bits + pad - 1) / pad * pad / 8;
}

void PixelFormat::PackRow(std::span<const std::uint32_t> pixels, std::uint8_t* out) const {
  const bool plain = bits_per_pixel == 32 && !msb_first && red_mask == 0xFF0000 &&
                     green_mask == 0x00FF00 && blue_mask == 0x0000FF &&
                     std::endian::native == std::endian::little;
  if (plain) {
    // The common case: the server takes the pixels as they are (the top byte is padding, or
    // alpha on a depth-32 visual, where opaque is what the window wants).
    std::memcpy(out, pixels.data(), pixels.size_bytes());
    return;
  }
  const int bytes = bits_per_pixel / 8;
  for (const std::uint32_t pixel : pixels) {
    std::uint32_t value = Place((pixel >> 16) & 0xFF, red_mask) |
                          Place((pixel >> 8) & 0xFF, green_mask) | Place(pixel & 0xFF, blue_mask);
    if (depth == 32 && bits_per_pixel == 32) {
      // The bits no channel uses are alpha on a depth-32 visual: opaque.
      value |= ~(red_mask | green_mask | blue_mask);
    }
    for (int i = 0; i < bytes; ++i) {
      const int shift = msb_first ? 8 * (bytes - 1 - i) : 8 * i;
      *out++ = static_cast<std::uint8_t>(value >> shift);
    }
  }
  const std::size_t used = pixels.size() * static_cast<std::size_t>(bytes);
  std::memset(out, 0, BytesPerRow(static_cast<int>(pixels.size())) - used);
}

}  // namespace corvane::x11
