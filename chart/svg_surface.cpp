#include "chart/svg_surface.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "chart/dejavu_sans_metrics.h"
#include "chart/utf8.h"

namespace corvane::chart {
namespace {

constexpr int kDefaultPixelSize = 12;  // pixels

void AppendInt(std::string& out, long long value) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Shortest exact form: coordinates here are whole or half pixels.
void AppendNumber(std::string& out, double value) {
  char buffer[32];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// "#rrggbb" from 0x00BBGGRR.
void AppendColour(std::string& out, Colour colour) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto bits = static_cast<std::uint32_t>(colour);
  const unsigned channels[3] = {bits & 0xFFU, (bits >> 8) & 0xFFU, (bits >> 16) & 0xFFU};
  out += '#';
  for (unsigned channel : channels) {
    out += kHex[channel >> 4];
    out += kHex[channel & 0xFU];
  }
}

// Character data and attribute values: markup characters as entities, and everything XML 1.0
// does not allow in a document (controls, U+FFFE, U+FFFF, malformed UTF-8) as U+FFFD, so that
// a counter name with stray bytes cannot make the whole snapshot unreadable.
void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t code = utf8::Decode(text, &pos);
    switch (code) {
      case U'&':
        out += "&amp;";
        continue;
      case U'<':
        out += "&lt;";
        continue;
      case U'>':
        out += "&gt;";
        continue;
      case U'"':
        out += "&quot;";
        continue;
      default:
        break;
    }
    if (code < 0x20 || code == 0xFFFE || code == 0xFFFF) code = utf8::kReplacement;
    utf8::Append(code, &out);
  }
}

// Faces drawn in the sans-serif family: the default dialog faces, and DejaVu Sans, whose
// metrics the picture is laid out with.
bool IsDefaultFace(std::string_view face) {
  return IsDefaultDialogFace(face) || face == "DejaVu Sans";
}

std::string FontFamily(std::string_view face) {
  std::string family;
  if (!IsDefaultFace(face)) {
    // Quoted in single quotes inside a double-quoted attribute: drop what would end either.
    std::string clean;
    for (char c : face) {
      if (c != '\'' && c != '\\') clean += c;
    }
    family += '\'';
    AppendEscaped(family, clean);
    family += "', ";
  }
  family += "'DejaVu Sans', sans-serif";
  return family;
}

// Whole pixel coordinates name pixels; a line of odd width through their centres is drawn
// half a pixel in, so that it covers whole pixels instead of blurring over two.
double StrokeOffset(const Pen& pen) {
  const int width = pen.width <= 0 ? 1 : pen.width;
  return width % 2 == 1 ? 0.5 : 0.0;
}

}  // namespace

SvgSurface::SvgSurface(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), font_family_(FontFamily("")) {
  font_.height = kDefaultPixelSize;
}

Pen SvgSurface::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }

FontSpec SvgSurface::SelectFont(const FontSpec& font) {
  font_family_ = FontFamily(font.face);
  return std::exchange(font_, font);
}

Colour SvgSurface::SetTextColour(Colour colour) { return ExchangeColour(&text_colour_, colour); }

Colour SvgSurface::SetBackColour(Colour colour) { return ExchangeColour(&back_colour_, colour); }

TextBackground SvgSurface::SetTextBackground(TextBackground mode) {
  return std::exchange(text_background_, mode);
}

bool SvgSurface::AppendStroke() {
  if (pen_.style == PenStyle::kNull) return false;
  body_ += " fill=\"none\" stroke=\"";
  AppendColour(body_, pen_.colour);
  body_ += "\" stroke-width=\"";
  AppendInt(body_, pen_.width <= 0 ? 1 : pen_.width);
  body_ += '"';
  // Dash lengths in pixels, after the platform's cosmetic pen patterns.
  switch (pen_.style) {
    case PenStyle::kDash:
      body_ += " stroke-dasharray=\"18 6\"";
      break;
    case PenStyle::kDot:
      body_ += " stroke-dasharray=\"3 3\"";
      break;
    case PenStyle::kDashDot:
      body_ += " stroke-dasharray=\"9 6 3 6\"";
      break;
    case PenStyle::kDashDotDot:
      body_ += " stroke-dasharray=\"9 3 3 3 3 3\"";
      break;
    default:
      break;
  }
  return true;
}

void SvgSurface::MoveTo(Point to) { position_ = to; }

void SvgSurface::LineTo(Point to) {
  const Point from = std::exchange(position_, to);
  if (pen_.style == PenStyle::kNull) return;
  const double offset = StrokeOffset(pen_);
  body_ += "<line x1=\"";
  AppendNumber(body_, from.x + offset);
  body_ += "\" y1=\"";
  AppendNumber(body_, from.y + offset);
  body_ += "\" x2=\"";
  AppendNumber(body_, to.x + offset);
  body_ += "\" y2=\"";
  AppendNumber(body_, to.y + offset);
  body_ += '"';
  AppendStroke();
  body_ += "/>\n";
}

void SvgSurface::Polyline(std::span<const Point> points) {
  if (points.size() < 2 || pen_.style == PenStyle::kNull) return;
  const double offset = StrokeOffset(pen_);
  body_ += "<polyline points=\"";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) body_ += ' ';
    AppendNumber(body_, points[i].x + offset);
    body_ += ',';
    AppendNumber(body_, points[i].y + offset);
  }
  body_ += '"';
  AppendStroke();
  body_ += " stroke-linejoin=\"round\"/>\n";
}

void SvgSurface::FullArc(const Rect& box) {
  if (pen_.style == PenStyle::kNull) return;
  const double offset = StrokeOffset(pen_);
  const double rx = (static_cast<double>(box.right) - box.left) / 2.0;
  const double ry = (static_cast<double>(box.bottom) - box.top) / 2.0;
  body_ += "<ellipse cx=\"";
  AppendNumber(body_, box.left + rx + offset);
  body_ += "\" cy=\"";
  AppendNumber(body_, box.top + ry + offset);
  body_ += "\" rx=\"";
  AppendNumber(body_, rx < 0 ? -rx : rx);
  body_ += "\" ry=\"";
  AppendNumber(body_, ry < 0 ? -ry : ry);
  body_ += '"';
  AppendStroke();
  body_ += "/>\n";
}

void SvgSurface::FillRect(const Rect& rect, Colour colour) {
  if (colour == kNoColour || rect.right <= rect.left || rect.bottom <= rect.top) return;
  body_ += "<rect x=\"";
  AppendInt(body_, rect.left);
  body_ += "\" y=\"";
  AppendInt(body_, rect.top);
  body_ += "\" width=\"";
  AppendInt(body_, static_cast<long long>(rect.right) - rect.left);
  body_ += "\" height=\"";
  AppendInt(body_, static_cast<long long>(rect.bottom) - rect.top);
  body_ += "\" fill=\"";
  AppendColour(body_, colour);
  body_ += "\"/>\n";
}

int SvgSurface::PixelSize() const { return font_.height > 0 ? font_.height : kDefaultPixelSize; }

TextSize SvgSurface::MeasureText(std::string_view text) {
  const int size = PixelSize();
  return TextSize{dejavu_sans::TextWidth(text, size), dejavu_sans::LineHeight(size)};
}

void SvgSurface::DrawText(Point top_left, std::string_view text) {
  if (text.empty()) return;
  const TextSize size = MeasureText(text);
  if (text_background_ == TextBackground::kOpaque) {
    FillRect(Rect{top_left.x, top_left.y, top_left.x + size.width, top_left.y + size.height},
             back_colour_);
  }
  // The spaces around a value text are drawn as an offset and left out of the element: an SVG
  // embedded in a page drops them whatever xml:space says, and textLength would then spread
  // the digits over the width of the spaces too.
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return;
  const std::size_t last = text.find_last_not_of(' ');
  const std::string_view shown = text.substr(first, last - first + 1);
  const int pixel_size = PixelSize();
  const int offset = first == 0 ? 0 : dejavu_sans::TextWidth(text.substr(0, first), pixel_size);
  const int width =
      shown.size() == text.size() ? size.width : dejavu_sans::TextWidth(shown, pixel_size);
  body_ += "<text x=\"";
  AppendInt(body_, static_cast<long long>(top_left.x) + offset);
  body_ += "\" y=\"";
  AppendInt(body_, static_cast<long long>(top_left.y) + dejavu_sans::Ascent(pixel_size));
  body_ += "\" font-family=\"";
  body_ += font_family_;
  body_ += "\" font-size=\"";
  AppendInt(body_, pixel_size);
  body_ += "\" fill=\"";
  AppendColour(body_, text_colour_);
  body_ += '"';
  if (width > 0) {
    body_ += " textLength=\"";
    AppendInt(body_, width);
    body_ += '"';
  }
  body_ += '>';
  AppendEscaped(body_, shown);
  body_ += "</text>\n";
}

std::string SvgSurface::Document() const {
  std::string document;
  document.reserve(body_.size() + 400);
  document += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  document += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
  AppendInt(document, width_);
  document += "\" height=\"";
  AppendInt(document, height_);
  document += "\" viewBox=\"0 0 ";
  AppendInt(document, width_);
  document += ' ';
  AppendInt(document, height_);
  // Widths come from the font's advance table, which has no kerning.
  document += "\" xml:space=\"preserve\" style=\"white-space:pre;font-kerning:none\">\n";
  document += body_;
  document += "</svg>\n";
  return document;
}

void SvgSurface::ClearDrawing() { body_.clear(); }

}  // namespace corvane::chart
