// Taking a snapshot: readying an engine for a profile, sampling it for a while, drawing the
// wind rose with its background onto a surface, and writing the picture so that a reader never
// sees half a file. Called by corvsnap's main thread; the engine's collector runs meanwhile.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "chart/drawing_surface.h"
#include "core/engine.h"

namespace corvane::corvsnap {

// The engine's new-profile set-up, then, when a profile is given, its counters and settings.
// A snapshot keeps no activity log, so the profile's log is neither opened nor written. False
// with the reason (file and system error) when the profile cannot be read.
bool PrepareEngine(Corvane& engine, const std::optional<std::filesystem::path>& profile,
                   std::string* error);

// Runs the collector for `duration`, then calls `draw` while the collector still runs (its
// values are dropped when it stops), then stops it. False with the reason when the collector
// cannot start or `draw` fails (`draw` fills in its own reason).
bool SampleAndDraw(Corvane& engine, std::chrono::milliseconds duration,
                   const std::function<bool(std::string* error)>& draw, std::string* error);

// The whole picture as the window shows it (DrawWholePicture) over width x height pixels.
void DrawSnapshot(Corvane& engine, chart::DrawingSurface& surface, int width, int height);

// The picture as an SVG document of width x height pixels.
std::string RenderSvg(Corvane& engine, int width, int height);

// Replaces the picture at `path` by `bytes` in one step (files::AtomicFile). False with
// "cannot write ", the path, the step and the system's reason; nothing is left behind then.
bool WritePicture(const std::filesystem::path& path, std::string_view bytes, std::string* error);

}  // namespace corvane::corvsnap
