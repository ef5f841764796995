// PNG pictures for corvsnap, drawn through the QPainter surface. Needs a QGuiApplication (on
// a headless machine the offscreen platform); main thread.
#pragma once

#include <string>

#include "core/engine.h"
#include "tools/corvsnap/snap_options.h"

namespace corvane::corvsnap {

// Draws the engine's picture into an image of the options' size and writes it as PNG to the
// options' output, atomically. False with the path and reason.
bool WritePngSnapshot(Corvane& engine, const SnapOptions& options, std::string* error);

}  // namespace corvane::corvsnap
