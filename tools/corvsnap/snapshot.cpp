#include "tools/corvsnap/snapshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "chart/svg_surface.h"
#include "core/engine_picture.h"

namespace corvane::corvsnap {
namespace {

std::string SystemReason(int error_number) { return std::strerror(error_number); }

}  // namespace

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
    *error = "cannot start collecting counters (a collector already runs in this process, or "
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

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
  std::filesystem::path temporary = path;
  temporary += ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = "cannot create " + temporary.string() + ": " + SystemReason(errno);
    return false;
  }
  auto fail = [&](const std::string& step, int error_number) {
    ::close(fd);
    ::unlink(temporary.c_str());
    *error = "cannot " + step + " " + temporary.string() + ": " + SystemReason(error_number);
    return false;
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("write", errno);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail("sync", errno);
  if (::close(fd) != 0) {
    const int close_error = errno;
    ::unlink(temporary.c_str());
    *error = "cannot close " + temporary.string() + ": " + SystemReason(close_error);
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int rename_error = errno;
    ::unlink(temporary.c_str());
    *error = "cannot rename " + temporary.string() + " to " + path.string() + ": " +
             SystemReason(rename_error);
    return false;
  }
  return true;
}

}  // namespace corvane::corvsnap
