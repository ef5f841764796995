// The engine's current picture as SVG or PNG, drawn at most once per picture, format and size
// however many requests and streams ask for it: the last few formats and sizes asked for are
// kept. Drawing copies nothing out of the engine but what it draws; the engine holds its lock
// only while it draws into memory, and a PNG is encoded after that.
//
// Threads: the metrics server's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/drawing_surface.h"
#include "chart/geometry.h"

namespace corvane::service {

enum class PictureFormat {
  kSvg,
  kPng,
};

class RosePicture {
 public:
  using Draw = std::function<void(chart::DrawingSurface& surface, const chart::Rect& rect)>;
  // Draws `draw` at width x height pixels into *image (replacing what was there) in one
  // format; false with *error, one line, when it cannot.
  using Render = std::function<bool(const Draw& draw, int width, int height, std::string* image,
                                    std::string* error)>;

  static constexpr int kDefaultWidth = 480;  // pixels
  static constexpr int kDefaultHeight = 480;
  static constexpr int kMinSide = 16;
  static constexpr int kMaxSide = 4096;
  // Pictures kept at once: the stream's and the page's, and a few sizes wikis and status
  // pages ask for.
  static constexpr std::size_t kKept = 6;

  // `png` makes the PNG pictures (cairo unless told otherwise).
  explicit RosePicture(Draw draw, Render png = RenderPng);

  // Picture number `picture` at width x height pixels (drawn now when it is not kept).
  const std::string& Svg(std::uint64_t picture, int width = kDefaultWidth,
                         int height = kDefaultHeight);
  // The same as PNG, or null with *error when no PNG can be made.
  const std::string* Png(std::uint64_t picture, int width, int height, std::string* error);
  // What draws pictures of `format`, for the pictures this one does not keep.
  const Render& Renderer(PictureFormat format) const {
    return format == PictureFormat::kPng ? png_ : svg_;
  }
  // How many pictures were drawn, for tests and the benchmark.
  std::size_t draws() const { return draws_; }

  // "WxH" with both sides within kMinSide..kMaxSide; false otherwise.
  static bool ParseSize(std::string_view text, int* width, int* height);

  // The SVG document of `draw`, its moving layer last in a group of its own (LayeredSvg);
  // never fails.
  static bool RenderSvg(const Draw& draw, int width, int height, std::string* image,
                        std::string* error);
  // The PNG file of `draw`, drawn with cairo; false when cairo cannot be loaded ("libcairo.so.2
  // cannot be loaded: ... (the package libcairo2 installs it)") or fails.
  static bool RenderPng(const Draw& draw, int width, int height, std::string* image,
                        std::string* error);

 private:
  struct Kept {
    PictureFormat format = PictureFormat::kSvg;
    std::uint64_t picture = 0;
    int width = 0;
    int height = 0;
    std::uint64_t used = 0;  // when it was last asked for, in asks
    std::string image;
  };

  const std::string* Get(PictureFormat format, std::uint64_t picture, int width, int height,
                         std::string* error);

  Draw draw_;
  Render svg_ = RenderSvg;
  Render png_;
  std::vector<Kept> kept_;
  std::uint64_t asks_ = 0;
  std::size_t draws_ = 0;
};

}  // namespace corvane::service
