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
  // none: the default counters ("-"); with a log: none means the profile beside the log
  std::optional<std::filesystem::path> profile;
  bool profile_given = false;                // a PROFILE (or "-") was named
  std::optional<std::filesystem::path> log;  // --log: draw a recorded moment instead of sampling
  std::optional<std::string> at;             // --at: "YYYY-MM-DD HH:MM:SS" or "+N"
  int every = 0;                             // --every: a numbered picture every N samples
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
    "       corvsnap --log LOG [PROFILE] OUTPUT [--at TIME] [--every N] [--size WxH]\n"
    "       corvsnap --help | --version\n"
    "  PROFILE    a profile (.crvn), or - for the default counters; with --log, the\n"
    "             profile beside the log unless one is named (- : the log's own columns)\n"
    "  OUTPUT     the picture: SVG, or PNG when the name ends in .png\n"
    "  --seconds  how long to sample before drawing (0..86400, default 5)\n"
    "  --size     the picture's size in pixels (default 800x600)\n"
    "  --log      draw the wind rose of a moment recorded in an activity log\n"
    "  --at       the moment: local time \"YYYY-MM-DD HH:MM:SS\" or +N seconds from the\n"
    "             recording's start (default: its last sample)\n"
    "  --every    a numbered picture (OUTPUT-000001.svg, ...) every N samples from --at\n"
    "             (default: the start) to the end\n";

struct ParsedOptions {
  std::optional<SnapOptions> options;  // set when the command line is sound
  bool help = false;                   // -h or --help: print the usage, succeed
  bool version = false;                // --version: print the version, succeed
  std::string error;                   // why it is not, e.g. "--size: \"0x5\" is not WxH"
};

ParsedOptions ParseSnapOptions(const std::vector<std::string_view>& args);

}  // namespace corvane::corvsnap
