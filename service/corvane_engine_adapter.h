// The service's engine: a non-interactive Corvane over the system's counter provider, seen
// through the MonitorEngine interface. Owns the provider, which must outlive the engine.
// Main thread only (the engine's collector runs on its own thread between Start and Stop),
// except CopyMetrics, which the metrics server's thread calls.
#pragma once

#include <memory>

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

 private:
  std::unique_ptr<perf::Provider> provider_;  // declared before the engine: destroyed after it
  Corvane engine_;
};

// The engine the service runs: local counters and, where built in, remote exporters.
std::unique_ptr<MonitorEngine> MakeCorvaneEngine();

}  // namespace corvane::service
