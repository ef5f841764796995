// The command line of corvsnap: which profile to sample, where to write the picture, for how
// long to sample and how large to draw. Pure parsing; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::corvsnap {

enum class ImageFormat {
  kSvg,
  kPng,  // chosen by a ".png" name (any case)
};

struct SnapOptions {
  std::optional<std::filesystem::path> profile;  // none: the default counters ("-")
  std::filesystem::path output;
  ImageFormat format = ImageFormat::kSvg;
  int seconds = 5;   // sampling time; long enough for two samples at the default interval
  int width = 800;   // pixels
  int height = 600;  // pixels
};

inline constexpr int kMaxSeconds = 86400;
inline constexpr int kMaxSide = 16384;  // pixels

inline constexpr std::string_view kUsage =
    "usage: corvsnap PROFILE OUTPUT [--seconds N] [--size WxH]\n"
    "  PROFILE    a profile (.crvn), or - for the default counters\n"
    "  OUTPUT     the picture: SVG, or PNG when the name ends in .png\n"
    "  --seconds  how long to sample before drawing (0..86400, default 5)\n"
    "  --size     the picture's size in pixels (default 800x600)\n";

struct ParsedOptions {
  std::optional<SnapOptions> options;  // set when the command line is sound
  bool help = false;                   // -h or --help: print the usage, succeed
  std::string error;                   // why it is not, e.g. "--size: \"0x5\" is not WxH"
};

ParsedOptions ParseSnapOptions(const std::vector<std::string_view>& args);

}  // namespace corvane::corvsnap
