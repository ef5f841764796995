// The service's engine: a non-interactive Corvane over the system's counter provider, seen
// through the MonitorEngine interface. Owns the provider, which must outlive the engine.
// Main thread only (the engine's collector runs on its own thread between Start and Stop),
// except CopyMetrics, DrawPicture and ProfileName, which the metrics server's thread calls.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "core/engine.h"
#include "core/perf_data.h"
#include "service/monitor_engine.h"

namespace corvane::service {

class CorvaneEngineAdapter : public MonitorEngine {
 public:
  explicit CorvaneEngineAdapter(std::unique_ptr<perf::Provider> provider);

  void SetUpNewProfile() override;
  void RemoveAllAxes() override;
  int GetCounterCount() override;
  bool Load(const std::string& profile_path) override;
  void SetInterval(int seconds) override;
  void SetLogLocation(const std::string& profile_path, bool banner) override;
  bool IsLogging() override;
  std::string GetLogPath() override;
  bool Start() override;
  bool Stop() override;
  void SetLogStatusSink(LogStatusSink* sink) override;
  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override;
  void SetAlertSink(AlertSink* sink) override;
  void CopyMetrics(MetricsSnapshot* snapshot) override;
  void DrawPicture(chart::DrawingSurface& surface, const chart::Rect& rect) override;
  std::string ProfileName() override;
  LogPlace GetLogPlace() override;
  std::unique_ptr<perf::Provider> MakePlaybackProvider() override;
  void SetRepaintListener(std::function<void()> listener) override;

 private:
  // The engine's window: it has none but this, which passes the repaint on.
  class RepaintBell final : public EngineWindow {
   public:
    void Invalidate(bool erase) override;
    void Set(std::function<void()> listener);

   private:
    std::mutex mutex_;
    std::function<void()> listener_;  // under mutex_
  };

  std::unique_ptr<perf::Provider> provider_;  // declared before the engine: destroyed after it
  RepaintBell bell_;                          // outlives the engine's collector
  Corvane engine_;
  std::mutex name_mutex_;
  std::string profile_name_;  // under name_mutex_
  std::string profile_path_;  // under name_mutex_
};

// The engine the service runs: local counters and, where built in, remote exporters.
std::unique_ptr<MonitorEngine> MakeCorvaneEngine();

}  // namespace corvane::service
