// A picture's size as a user gives it on a command line or in an address: "WIDTHxHEIGHT" (x or
// X), each side a whole number of pixels within the caller's bounds. Pure; any thread.
#pragma once

#include <optional>
#include <string_view>

namespace corvane::chart {

struct PictureSize {
  int width = 0;   // pixels
  int height = 0;  // pixels
};

// Nothing when `text` is not two decimal numbers around one x, or a side lies outside
// [min_side, max_side]; no blanks or signs are taken.
std::optional<PictureSize> ParsePictureSize(std::string_view text, int min_side, int max_side);

}  // namespace corvane::chart
