// The engine's current picture as SVG, drawn at most once per picture and size however many
// requests and streams ask for it: the default size and the last other size asked for are
// kept. Drawing copies nothing out of the engine but what it draws; the engine holds its lock
// only while it draws into memory.
//
// Threads: the metrics server's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "chart/drawing_surface.h"
#include "chart/geometry.h"

namespace corvane::service {

class RosePicture {
 public:
  using Draw = std::function<void(chart::DrawingSurface& surface, const chart::Rect& rect)>;
  static constexpr int kDefaultWidth = 480;  // pixels
  static constexpr int kDefaultHeight = 480;
  static constexpr int kMinSide = 16;
  static constexpr int kMaxSide = 4096;

  explicit RosePicture(Draw draw) : draw_(std::move(draw)) {}

  // Picture number `picture` at width x height pixels (drawn now when it is not kept).
  const std::string& Svg(std::uint64_t picture, int width = kDefaultWidth,
                         int height = kDefaultHeight);
  // How many pictures were drawn, for tests and the benchmark.
  std::size_t draws() const { return draws_; }

  // "WxH" with both sides within kMinSide..kMaxSide; false otherwise.
  static bool ParseSize(std::string_view text, int* width, int* height);

 private:
  struct Kept {
    bool valid = false;
    std::uint64_t picture = 0;
    int width = 0;
    int height = 0;
    std::string svg;
  };

  Draw draw_;
  Kept default_;
  Kept other_;
  std::size_t draws_ = 0;
};

}  // namespace corvane::service
