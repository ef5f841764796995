#include "platform/linux/cairo/cairo_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "chart/utf8.h"

namespace corvane::cairo {
namespace {

constexpr int kDefaultPixelSize = 12;  // pixels
// cairo keeps coordinates as 24.8 fixed point: a side beyond this cannot be addressed.
constexpr int kMaxSide = 32767;

// Whole pixel coordinates name pixels; a line of odd width through their centres is drawn
// half a pixel in, so that it covers whole pixels instead of blurring over two.
double StrokeOffset(const chart::Pen& pen) {
  const int width = pen.width <= 0 ? 1 : pen.width;
  return width % 2 == 1 ? 0.5 : 0.0;
}

cairo_status_t AppendChunk(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::unique_ptr<CairoSurface> CairoSurface::Create(int width, int height, std::string* error) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
    *error = "cannot draw a picture of " + std::to_string(width) + "x" + std::to_string(height) +
             " pixels";
    return nullptr;
  }
  std::string reason;
  const CairoLibrary* cairo = CairoLibrary::Load(&reason);
  if (cairo == nullptr) {
    *error = reason + " (the package " + CairoLibrary::kPackage + " installs it)";
    return nullptr;
  }
  cairo_surface_t* image = cairo->image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (const cairo_status_t status = cairo->surface_status(image); status != CAIRO_STATUS_SUCCESS) {
    *error = std::string("cannot draw the picture: ") + cairo->status_to_string(status);
    cairo->surface_destroy(image);
    return nullptr;
  }
  cairo_t* context = cairo->create(image);
  return std::unique_ptr<CairoSurface>(new CairoSurface(cairo, image, context, width, height));
}

CairoSurface::CairoSurface(const CairoLibrary* cairo, cairo_surface_t* image, cairo_t* context,
                           int width, int height)
    : cairo_(cairo), image_(image), context_(context), width_(width), height_(height) {
  font_.height = kDefaultPixelSize;
  // Grey-level edges (no colour fringes, which a picture viewed anywhere cannot count on) and
  // the font's own advances, not advances rounded up to whole pixels glyph by glyph: a value
  // text is then as wide as the same text in the SVG picture and in a browser, and the rose
  // keeps its size. A text is drawn in one run, so it is as wide as measured to the pixel.
  cairo_font_options_t* options = cairo_->font_options_create();
  cairo_->font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_->font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_->set_font_options(context_, options);
  cairo_->font_options_destroy(options);
  cairo_->set_line_join(context_, CAIRO_LINE_JOIN_ROUND);
  UseFont();
}

CairoSurface::~CairoSurface() {
  cairo_->destroy(context_);
  cairo_->surface_destroy(image_);
}

chart::Pen CairoSurface::SelectPen(const chart::Pen& pen) { return std::exchange(pen_, pen); }

chart::FontSpec CairoSurface::SelectFont(const chart::FontSpec& font) {
  chart::FontSpec previous = std::exchange(font_, font);
  if (font_.face != previous.face || font_.height != previous.height) UseFont();
  return previous;
}

chart::Colour CairoSurface::SetTextColour(chart::Colour colour) {
  return chart::ExchangeColour(&text_colour_, colour);
}

chart::Colour CairoSurface::SetBackColour(chart::Colour colour) {
  return chart::ExchangeColour(&back_colour_, colour);
}

chart::TextBackground CairoSurface::SetTextBackground(chart::TextBackground mode) {
  return std::exchange(text_background_, mode);
}

void CairoSurface::UseColour(chart::Colour colour) {
  // 0x00BBGGRR.
  const auto bits = static_cast<std::uint32_t>(colour);
  cairo_->set_source_rgb(context_, (bits & 0xFFU) / 255.0, ((bits >> 8) & 0xFFU) / 255.0,
                         ((bits >> 16) & 0xFFU) / 255.0);
}

bool CairoSurface::UsePen() {
  if (pen_.style == chart::PenStyle::kNull) return false;
  UseColour(pen_.colour);
  const int width = pen_.width <= 0 ? 1 : pen_.width;
  cairo_->set_line_width(context_, width);
  // Wide lines end round, so the closed polylines have no notches where they meet.
  cairo_->set_line_cap(context_, width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  // Dash lengths in pixels, after the platform's cosmetic pen patterns (as in SVG pictures).
  static constexpr double kDash[] = {18, 6};
  static constexpr double kDot[] = {3, 3};
  static constexpr double kDashDot[] = {9, 6, 3, 6};
  static constexpr double kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  std::span<const double> dashes;
  switch (pen_.style) {
    case chart::PenStyle::kDash:
      dashes = kDash;
      break;
    case chart::PenStyle::kDot:
      dashes = kDot;
      break;
    case chart::PenStyle::kDashDot:
      dashes = kDashDot;
      break;
    case chart::PenStyle::kDashDotDot:
      dashes = kDashDotDot;
      break;
    default:
      break;
  }
  cairo_->set_dash(context_, dashes.data(), static_cast<int>(dashes.size()), 0);
  return true;
}

void CairoSurface::UseFont() {
  const std::string face = chart::IsDefaultDialogFace(font_.face) ? "DejaVu Sans" : font_.face;
  cairo_->select_font_face(context_, face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
  cairo_->set_font_size(context_, font_.height > 0 ? font_.height : kDefaultPixelSize);
  cairo_font_extents_t extents{};
  cairo_->font_extents(context_, &extents);
  ascent_ = static_cast<int>(std::lround(extents.ascent));
  line_height_ = static_cast<int>(std::lround(extents.ascent + extents.descent));
}

void CairoSurface::MoveTo(chart::Point to) { position_ = to; }

void CairoSurface::LineTo(chart::Point to) {
  const chart::Point from = std::exchange(position_, to);
  if (!UsePen()) return;
  const double offset = StrokeOffset(pen_);
  cairo_->new_path(context_);
  cairo_->move_to(context_, from.x + offset, from.y + offset);
  cairo_->line_to(context_, to.x + offset, to.y + offset);
  cairo_->stroke(context_);
}

void CairoSurface::Polyline(std::span<const chart::Point> points) {
  if (points.size() < 2 || !UsePen()) return;
  const double offset = StrokeOffset(pen_);
  cairo_->new_path(context_);
  cairo_->move_to(context_, points[0].x + offset, points[0].y + offset);
  for (const chart::Point& point : points.subspan(1)) {
    cairo_->line_to(context_, point.x + offset, point.y + offset);
  }
  cairo_->stroke(context_);
}

void CairoSurface::FullArc(const chart::Rect& box) {
  if (!UsePen()) return;
  const double offset = StrokeOffset(pen_);
  const double rx = std::abs((static_cast<double>(box.right) - box.left) / 2.0);
  const double ry = std::abs((static_cast<double>(box.bottom) - box.top) / 2.0);
  const double cx = std::min(box.left, box.right) + rx + offset;
  const double cy = std::min(box.top, box.bottom) + ry + offset;
  cairo_->new_path(context_);
  if (rx == 0 || ry == 0) {
    // A flat box's ellipse is the line across it (and scaling by 0 would break the context).
    cairo_->move_to(context_, cx - rx, cy - ry);
    cairo_->line_to(context_, cx + rx, cy + ry);
  } else {
    // The unit circle stretched to the box; the stroke is made after the scale is undone, so
    // that the pen keeps its width all round.
    cairo_->save(context_);
    cairo_->translate(context_, cx, cy);
    cairo_->scale(context_, rx, ry);
    cairo_->arc(context_, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_->restore(context_);
  }
  cairo_->stroke(context_);
}

void CairoSurface::FillRect(const chart::Rect& rect, chart::Colour colour) {
  if (colour == chart::kNoColour || rect.right <= rect.left || rect.bottom <= rect.top) return;
  UseColour(colour);
  cairo_->new_path(context_);
  cairo_->rectangle(context_, rect.left, rect.top, static_cast<double>(rect.right) - rect.left,
                    static_cast<double>(rect.bottom) - rect.top);
  cairo_->fill(context_);
}

std::string CairoSurface::Printable(std::string_view text) {
  std::string printable;
  printable.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t code = chart::utf8::Decode(text, &pos);
    // cairo refuses malformed UTF-8 (and then draws nothing more), and a NUL would end the text.
    if (code < 0x20 || code == 0x7F || code == 0xFFFE || code == 0xFFFF) {
      code = chart::utf8::kReplacement;
    }
    chart::utf8::Append(code, &printable);
  }
  return printable;
}

int CairoSurface::Advance(const std::string& printable) {
  cairo_text_extents_t extents{};
  cairo_->text_extents(context_, printable.c_str(), &extents);
  return static_cast<int>(std::lround(extents.x_advance));
}

chart::TextSize CairoSurface::MeasureText(std::string_view text) {
  if (text.empty()) return chart::TextSize{0, line_height_};
  return chart::TextSize{Advance(Printable(text)), line_height_};
}

void CairoSurface::DrawText(chart::Point top_left, std::string_view text) {
  if (text.empty()) return;
  const std::string printable = Printable(text);
  if (text_background_ == chart::TextBackground::kOpaque) {
    FillRect(chart::Rect{top_left.x, top_left.y, top_left.x + Advance(printable),
                         top_left.y + line_height_},
             back_colour_);
  }
  UseColour(text_colour_);
  cairo_->new_path(context_);
  cairo_->move_to(context_, top_left.x, top_left.y + ascent_);
  cairo_->show_text(context_, printable.c_str());
}

bool CairoSurface::WritePng(std::string* png, std::string* error) {
  cairo_status_t status = cairo_->status(context_);
  if (status == CAIRO_STATUS_SUCCESS) {
    cairo_->surface_flush(image_);
    status = cairo_->surface_write_to_png_stream(image_, AppendChunk, png);
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    *error = std::string("cannot draw the picture: ") + cairo_->status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace corvane::cairo
