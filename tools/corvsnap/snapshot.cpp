#include "tools/corvsnap/snapshot.h"

#include <thread>

#include "chart/svg_surface.h"
#include "core/engine_picture.h"
#include "core/recording/recording_engine.h"
#include "files/atomic_file.h"
#include "files/link_rule.h"

namespace corvane::corvsnap {

bool PrepareEngine(Corvane& engine, const std::optional<std::filesystem::path>& profile,
                   std::string* error) {
  if (profile) return recording::LoadProfileWithoutLog(engine, *profile, error);
  engine.SetUpNewProfile();
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
  // A link another user planted in /tmp for this name is refused, as the kernel would refuse
  // to follow it, and nothing is written.
  if (!files::CheckFinalLink(path, error)) return false;
  if (files::WriteFileAtomically(path, bytes, options, error)) return true;
  error->insert(0, "cannot write ");
  return false;
}

}  // namespace corvane::corvsnap
