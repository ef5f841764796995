#include "service/layered_svg.h"

namespace corvane::service {

chart::Pen LayeredSvg::SelectPen(const chart::Pen& pen) {
  moving_.SelectPen(pen);
  return still_.SelectPen(pen);
}

chart::FontSpec LayeredSvg::SelectFont(const chart::FontSpec& font) {
  moving_.SelectFont(font);
  return still_.SelectFont(font);
}

chart::Colour LayeredSvg::SetTextColour(chart::Colour colour) {
  moving_.SetTextColour(colour);
  return still_.SetTextColour(colour);
}

chart::Colour LayeredSvg::SetBackColour(chart::Colour colour) {
  moving_.SetBackColour(colour);
  return still_.SetBackColour(colour);
}

chart::TextBackground LayeredSvg::SetTextBackground(chart::TextBackground mode) {
  moving_.SetTextBackground(mode);
  return still_.SetTextBackground(mode);
}

void LayeredSvg::MoveTo(chart::Point to) {
  still_.MoveTo(to);
  moving_.MoveTo(to);
}

void LayeredSvg::LineTo(chart::Point to) {
  Drawn().LineTo(to);
  Other().MoveTo(to);  // both keep the same pen position
}

std::string LayeredSvg::Document() const {
  std::string document = still_.Document();
  // Before the closing "</svg>\n" of the still layer's document.
  const std::size_t end = document.rfind("</svg>");
  std::string group;
  group.reserve(kMovingStart.size() + moving_.Body().size() + 5);
  group.append(kMovingStart).append(moving_.Body()).append("</g>\n");
  document.insert(end, group);
  return document;
}

LayeredSvg::Parts LayeredSvg::Cut(std::string_view document) {
  const std::size_t start = document.find(kMovingStart);
  if (start == std::string_view::npos) return {document, {}};
  const std::size_t end = document.rfind("</g>");
  if (end == std::string_view::npos || end < start) return {document, {}};
  return {document.substr(0, start), document.substr(start, end + 4 - start)};
}

}  // namespace corvane::service
