// Packing 0xAARRGGBB pixels for the visuals X servers offer.
#include "platform/linux/x11/pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::x11 {
namespace {

struct PackCase {
  const char* name;
  PixelFormat format;
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint8_t> bytes;
};

void PrintTo(const PackCase& c, std::ostream* out) { *out << c.name; }

class PackRowTest : public testing::TestWithParam<PackCase> {};

TEST_P(PackRowTest, Packs) {
  const PackCase& c = GetParam();
  ASSERT_EQ(c.format.Unsupported(), "");
  std::vector<std::uint8_t> out(c.format.BytesPerRow(static_cast<int>(c.pixels.size())), 0xEE);
  c.format.PackRow(c.pixels, out.data());
  EXPECT_EQ(out, c.bytes);
}

constexpr PixelFormat kDepth24{};
constexpr PixelFormat kDepth32{32, 32, 32, 0xFF0000, 0xFF00, 0xFF, false, true};
constexpr PixelFormat kRgb565{16, 16, 32, 0xF800, 0x07E0, 0x001F, false, true};
constexpr PixelFormat kRgb565Msb{16, 16, 32, 0xF800, 0x07E0, 0x001F, true, true};
constexpr PixelFormat kBgr24Packed{24, 24, 32, 0x0000FF, 0x00FF00, 0xFF0000, false, true};

INSTANTIATE_TEST_SUITE_P(
    Visuals, PackRowTest,
    testing::Values(
        PackCase{"Depth24", kDepth24, {0xFF123456}, {0x56, 0x34, 0x12, 0xFF}},
        PackCase{"Depth32Opaque", kDepth32, {0xFF0000FF}, {0xFF, 0x00, 0x00, 0xFF}},
        // Red 0xF8 -> 31, green 0xFC -> 63, blue 0x08 -> 1; two pixels, padded to 32 bits.
        PackCase{"Rgb565", kRgb565, {0xFFF8FC08, 0xFF000000}, {0xE1, 0xFF, 0x00, 0x00}},
        PackCase{"Rgb565PaddedRow", kRgb565, {0xFFFFFFFF}, {0xFF, 0xFF, 0x00, 0x00}},
        PackCase{"Rgb565MsbFirst", kRgb565Msb, {0xFFF8FC08, 0xFF000000}, {0xFF, 0xE1, 0x00, 0x00}},
        PackCase{"Bgr24", kBgr24Packed, {0xFF112233}, {0x11, 0x22, 0x33, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PixelFormatTest, RefusesWhatCannotBePacked) {
  PixelFormat palette{8, 8, 32, 0, 0, 0, false, false};
  EXPECT_NE(palette.Unsupported(), "");
  PixelFormat odd{24, 12, 32, 0xF00, 0xF0, 0xF, false, true};
  EXPECT_NE(odd.Unsupported(), "");
  PixelFormat split{24, 32, 32, 0xFF00FF, 0xFF00, 0xFF, false, true};
  EXPECT_NE(split.Unsupported(), "");
}

}  // namespace
}  // namespace corvane::x11
