// PixelFormat: how one X visual at one depth lays out a pixel in a ZPixmap image (channel
// masks, bits per pixel, scanline padding, byte order), and the packing of 0xAARRGGBB rows
// into it. A plain value; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace corvane::x11 {

struct PixelFormat {
  int depth = 24;           // bits that carry colour
  int bits_per_pixel = 32;  // 8, 16, 24 or 32
  int scanline_pad = 32;    // bits each row is padded to
  std::uint32_t red_mask = 0xFF0000;
  std::uint32_t green_mask = 0x00FF00;
  std::uint32_t blue_mask = 0x0000FF;
  bool msb_first = false;   // the server's image byte order
  bool true_colour = true;  // TrueColor or DirectColor: pixels are their channels

  // Empty when rows can be packed; otherwise what is missing, for the user.
  std::string Unsupported() const;
  // Bytes of one packed row of `width` pixels, padding included.
  std::size_t BytesPerRow(int width) const;
  // Packs one row of 0xAARRGGBB pixels into `out` (at least BytesPerRow(pixels.size())).
  void PackRow(std::span<const std::uint32_t> pixels, std::uint8_t* out) const;
};

}  // namespace corvane::x11
