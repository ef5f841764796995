#include "tools/corvsnap/snapshot.h"

#include <thread>

#include "chart/svg_surface.h"
#include "core/engine_picture.h"
#include "files/atomic_file.h"

namespace corvane::corvsnap {

bool PrepareEngine(Corvane& engine, const std::optional<std::filesystem::path>& profile,
                   std::string* error) {
  engine.SetUpNewProfile();
  if (!profile) return true;
  engine.RemoveAllAxes();
  // The chart's own load reads the axes and the settings; the engine's would also open the
  // profile's activity log beside it, which a snapshot must not touch.
  if (!engine.chart::WindRose::Load(*profile)) {
    const std::string reason = engine.GetLastProfileError();
    *error = "cannot load profile " + profile->string() + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  // An empty file, random bytes or bare line ends read as a profile without a single axis: a
  // picture of an empty diagram would hide that the profile is not one.
  if (engine.GetAxisCount() == 0) {
    *error = "the profile has no counters: " + profile->string();
    return false;
  }
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  engine.SetSettings(settings);
  engine.ApplySettingsToChart();
  engine.SetModified(false);
  return true;
}

bool SampleAndDraw(Corvane& engine, std::chrono::milliseconds duration,
                   const std::function<bool(std::string* error)>& draw, std::string* error) {
  if (!engine.Start(nullptr, false)) {
    *error =
        "cannot start collecting counters (a collector already runs in this process, or "
        "its thread could not be created)";
    return false;
  }
  std::this_thread::sleep_for(duration);
  const bool drawn = draw(error);
  // A collector that does not stop in time (a slow remote machine) is waited for by the
  // engine's destructor.
  engine.Stop();
  return drawn;
}

void DrawSnapshot(Corvane& engine, chart::DrawingSurface& surface, int width, int height) {
  DrawWholePicture(engine, surface, chart::Rect{0, 0, width, height});
}

std::string RenderSvg(Corvane& engine, int width, int height) {
  chart::SvgSurface surface(width, height);
  DrawSnapshot(engine, surface, width, height);
  return surface.Document();
}

bool WritePicture(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  files::AtomicFileOptions options;
  options.mode = 0644;  // a picture is for everyone to see, a web server included
  if (files::WriteFileAtomically(path, bytes, options, error)) return true;
  error->insert(0, "cannot write ");
  return false;
}

}  // namespace corvane::corvsnap
