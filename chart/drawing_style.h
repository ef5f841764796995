// Value descriptions of the chart's colours, pens and font. The chart owns copies of them;
// a drawing surface turns them into its own objects when it draws. Plain values; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::chart {

// 0x00BBGGRR, the byte order profiles store colours in (white is 16777215).
using Colour = std::int32_t;

// In the chart's colour members: leave the drawing surface's colour as it is.
inline constexpr Colour kNoColour = -1;

// Line styles, numbered as the platform's pen styles that profiles and callers were written
// for. Every pen the system makes is kSolid.
enum class PenStyle : std::int32_t {
  kSolid = 0,
  kDash = 1,
  kDot = 2,
  kDashDot = 3,
  kDashDotDot = 4,
  kNull = 5,         // draws nothing
  kInsideFrame = 6,  // solid, kept inside the shape's box
};

struct Pen {
  PenStyle style = PenStyle::kSolid;
  int width = 1;               // pixels; 0 draws one pixel wide
  Colour colour = 0x00000000;  // never kNoColour: a pen always has its own colour

  bool operator==(const Pen&) const = default;
};

struct FontSpec {
  std::string face;  // family name; empty picks the surface's default sans-serif family
  int height = 12;   // pixels; 0 picks the surface's default size

  bool operator==(const FontSpec&) const = default;
};

// Whether a face stands for the platform's default dialog font (none, "MS Sans Serif" and the
// like, or the generic sans-serif names): every surface draws it in its sans-serif family.
constexpr bool IsDefaultDialogFace(std::string_view face) {
  constexpr std::string_view kDefaults[] = {
      "",           "MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif",
      "Sans Serif", "sans-serif"};
  for (const std::string_view name : kDefaults) {
    if (face == name) return true;
  }
  return false;
}

}  // namespace corvane::chart
