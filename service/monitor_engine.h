// What the service run asks of the monitoring engine, so that the run can be driven by the
// real engine or by a test double. An adapter over the engine implements it.
//
// The service's main thread calls every operation; the engine's own collector thread runs
// between Start and Stop.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "chart/drawing_surface.h"
#include "chart/geometry.h"
#include "core/engine_host.h"
#include "core/perf_data.h"
#include "service/metrics_snapshot.h"

namespace corvane::service {

class MonitorEngine {
 public:
  virtual ~MonitorEngine() = default;

  // Font, pens, the three value series and the default counters, settings applied.
  virtual void SetUpNewProfile() = 0;
  virtual void RemoveAllAxes() = 0;
  // How many counters (axes) the engine holds.
  virtual int GetCounterCount() = 0;
  // Reads a profile; false when it cannot be read. A loaded profile logs beside itself.
  virtual bool Load(const std::string& profile_path) = 0;
  // Sets the sampling interval through the engine's settings record.
  virtual void SetInterval(int seconds) = 0;
  // Logs go to the "Logs" folder beside `profile_path`, titled by its file name.
  virtual void SetLogLocation(const std::string& profile_path, bool banner) = 0;
  // Whether the profile logs at all, and the log file it writes then.
  virtual bool IsLogging() = 0;
  virtual std::string GetLogPath() = 0;
  // Starts the collector without a window; false when it cannot.
  virtual bool Start() = 0;
  // Stops the collector; false when it did not stop within the engine's time limit (or was
  // still starting), in which case the collector still runs and the engine must live on.
  virtual bool Stop() = 0;
  // Who hears that the activity log fails or works again; nullptr: no one. An engine that
  // cannot tell ignores it.
  virtual void SetLogStatusSink(LogStatusSink* sink) { static_cast<void>(sink); }
  // Who hears that a remote machine stops answering or answers again; nullptr: no one.
  virtual void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
    static_cast<void>(watcher);
  }
  // Who hears that counters enter and leave the alert state; nullptr: no one.
  virtual void SetAlertSink(AlertSink* sink) { static_cast<void>(sink); }
  // Copies the last sample's statistics for the metrics page. Called on the metrics server's
  // thread while the collector may run, so it only takes the engine's lock to copy. An engine
  // that has none leaves the snapshot as it is.
  virtual void CopyMetrics(MetricsSnapshot* snapshot) { static_cast<void>(snapshot); }
  // Draws the whole picture into `rect` as the window shows it. Any thread; the engine takes
  // its lock while it draws. An engine that cannot draw leaves the surface as it is.
  virtual void DrawPicture(chart::DrawingSurface& surface, const chart::Rect& rect) {
    static_cast<void>(surface);
    static_cast<void>(rect);
  }
  // The running profile's name (its file name without the extension). Any thread.
  virtual std::string ProfileName() { return {}; }
  // The activity log the profile writes (empty when it logs nothing) and the profile's path
  // (empty for the default counters). Any thread.
  struct LogPlace {
    std::string log;
    std::string profile;
  };
  virtual LogPlace GetLogPlace() { return {}; }
  // A provider for drawing recorded moments, never collected from. Any thread.
  virtual std::unique_ptr<perf::Provider> MakePlaybackProvider() { return nullptr; }
  // Who hears that the engine repaints (after every sample). Called on the collector thread
  // under the engine's lock, so it must only signal. Main thread; once a call with an empty
  // listener returns, the old one is never called again.
  virtual void SetRepaintListener(std::function<void()> listener) { static_cast<void>(listener); }
};

// Builds a non-interactive engine; nothing when it cannot.
using EngineFactory = std::function<std::unique_ptr<MonitorEngine>()>;

}  // namespace corvane::service
