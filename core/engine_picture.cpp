#include "core/engine_picture.h"

#include "core/engine.h"

namespace corvane {

void DrawWholePicture(Corvane& engine, chart::DrawingSurface& surface, const chart::Rect& rect) {
  surface.FillRect(rect, engine.GetSettings().BackColor);
  const chart::TextBackground previous =
      surface.SetTextBackground(chart::TextBackground::kTransparent);
  engine.Draw(surface, rect);
  surface.SetTextBackground(previous);
}

}  // namespace corvane
