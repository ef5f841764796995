// The engine's whole picture as a window shows it: the rectangle filled with the profile's
// BackColor, then the engine's drawing (the status text or the chart) with text drawn
// transparently. The one place the desktop view, the screen saver and corvsnap draw through.
// Any thread that owns the surface; the engine takes its own lock while it draws.
#pragma once

#include "chart/drawing_surface.h"
#include "chart/geometry.h"

namespace corvane {

class Corvane;

void DrawWholePicture(Corvane& engine, chart::DrawingSurface& surface, const chart::Rect& rect);

}  // namespace corvane
