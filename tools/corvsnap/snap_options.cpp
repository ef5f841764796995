#include "tools/corvsnap/snap_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "chart/picture_size.h"

namespace corvane::corvsnap {
namespace {

// A whole decimal number in [low, high], nothing else around it.
std::optional<int> ParseBounded(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

bool EndsWithPng(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".png";
}

ParsedOptions Failure(std::string error) {
  ParsedOptions parsed;
  parsed.error = std::move(error);
  return parsed;
}

}  // namespace

ParsedOptions ParseSnapOptions(const std::vector<std::string_view>& args) {
  SnapOptions options;
  std::vector<std::string_view> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "-h" || arg == "--help") {
      ParsedOptions parsed;
      parsed.help = true;
      return parsed;
    }
    if (arg == "--version") {
      ParsedOptions parsed;
      parsed.version = true;
      return parsed;
    }
    if (arg == "--seconds" || arg == "--size") {
      if (i + 1 == args.size()) return Failure(std::string(arg) + " needs a value");
      const std::string_view value = args[++i];
      if (arg == "--seconds") {
        const std::optional<int> seconds = ParseBounded(value, 0, kMaxSeconds);
        if (!seconds) {
          return Failure("--seconds: \"" + std::string(value) + "\" is not a number of seconds " +
                         "from 0 to " + std::to_string(kMaxSeconds));
        }
        options.seconds = *seconds;
      } else {
        const std::optional<chart::PictureSize> size = chart::ParsePictureSize(value, 1, kMaxSide);
        if (!size) {
          return Failure("--size: \"" + std::string(value) + "\" is not WxH with sides from 1 to " +
                         std::to_string(kMaxSide));
        }
        options.width = size->width;
        options.height = size->height;
      }
      continue;
    }
    if (arg == "--log" || arg == "--at" || arg == "--every") {
      if (i + 1 == args.size()) return Failure(std::string(arg) + " needs a value");
      const std::string_view value = args[++i];
      if (arg == "--log") {
        if (value.empty()) return Failure("--log: the log's name is empty");
        options.log = std::filesystem::path(value);
      } else if (arg == "--at") {
        options.at = std::string(value);
      } else {
        const std::optional<int> every = ParseBounded(value, 1, 1000000000);
        if (!every) {
          return Failure("--every: \"" + std::string(value) + "\" is not a number of samples " +
                         "from 1 up");
        }
        options.every = *every;
      }
      continue;
    }
    if (arg.size() > 1 && arg.front() == '-') {
      return Failure("unknown option \"" + std::string(arg) + "\"");
    }
    positional.push_back(arg);
  }
  if ((options.at || options.every > 0) && !options.log)
    return Failure(options.at ? "--at needs --log" : "--every needs --log");
  if (options.log && positional.size() == 1) positional.insert(positional.begin(), "");
  if (positional.size() != 2) {
    if (options.log) {
      return Failure(positional.empty() ? "OUTPUT is needed"
                                        : "more than PROFILE and OUTPUT given");
    }
    return Failure(positional.size() < 2 ? "PROFILE and OUTPUT are needed"
                                         : "more than PROFILE and OUTPUT given");
  }
  options.profile_given = !positional[0].empty();
  if (positional[0] != "-" && !positional[0].empty())
    options.profile = std::filesystem::path(positional[0]);
  if (positional[1].empty()) return Failure("OUTPUT is empty");
  options.output = std::filesystem::path(positional[1]);
  options.format = EndsWithPng(options.output) ? ImageFormat::kPng : ImageFormat::kSvg;

  ParsedOptions parsed;
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace corvane::corvsnap
