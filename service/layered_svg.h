// LayeredSvg: the service's SVG pictures, drawn in the chart's two layers: what stays from
// sample to sample (background, rings, axes, labels) and what moves with the values (value
// texts, polylines). The document holds the still layer, then the moving one last, in a group
// of its own (<g id="moving">), so that a stream can send that group alone while the rest is
// unchanged. The layers are two SVG surfaces kept in the same state.
// Owned and used by one thread.
#pragma once

#include <string>
#include <string_view>

#include "chart/svg_surface.h"

namespace corvane::service {

class LayeredSvg final : public chart::DrawingSurface {
 public:
  // Where the moving group begins in a document: nothing a surface draws contains it, as
  // every text in it has its "<" escaped.
  static constexpr std::string_view kMovingStart = "<g id=\"moving\">\n";

  LayeredSvg(int width, int height) : still_(width, height), moving_(width, height) {}

  chart::Pen SelectPen(const chart::Pen& pen) override;
  chart::FontSpec SelectFont(const chart::FontSpec& font) override;
  chart::Colour SetTextColour(chart::Colour colour) override;
  chart::Colour SetBackColour(chart::Colour colour) override;
  chart::TextBackground SetTextBackground(chart::TextBackground mode) override;
  void MoveTo(chart::Point to) override;
  void LineTo(chart::Point to) override;
  void Polyline(std::span<const chart::Point> points) override { Drawn().Polyline(points); }
  void FullArc(const chart::Rect& box) override { Drawn().FullArc(box); }
  void FillRect(const chart::Rect& rect, chart::Colour colour) override {
    Drawn().FillRect(rect, colour);
  }
  chart::TextSize MeasureText(std::string_view text) override { return still_.MeasureText(text); }
  void DrawText(chart::Point top_left, std::string_view text) override {
    Drawn().DrawText(top_left, text);
  }
  void SetLayer(chart::DrawingLayer layer) override { layer_ = layer; }

  // The whole document: the still layer, then the moving group.
  std::string Document() const;

  // A document as Document() makes it, cut before its moving group: the still part (the whole
  // document when it has no group) and the group itself, up to and with its "</g>".
  struct Parts {
    std::string_view still;
    std::string_view moving;
  };
  static Parts Cut(std::string_view document);

 private:
  chart::SvgSurface& Drawn() { return layer_ == chart::DrawingLayer::kMoving ? moving_ : still_; }
  chart::SvgSurface& Other() { return layer_ == chart::DrawingLayer::kMoving ? still_ : moving_; }

  chart::SvgSurface still_;
  chart::SvgSurface moving_;
  chart::DrawingLayer layer_ = chart::DrawingLayer::kStill;
};

}  // namespace corvane::service
