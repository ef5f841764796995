#include "service/corvane_engine_adapter.h"

#include "core/corvane_settings.h"
#include "platform/system_provider.h"

namespace corvane::service {

CorvaneEngineAdapter::CorvaneEngineAdapter(std::unique_ptr<perf::Provider> provider)
    : provider_(std::move(provider)), engine_(*provider_, /*interactive=*/false) {}

void CorvaneEngineAdapter::SetUpNewProfile() { engine_.SetUpNewProfile(); }

void CorvaneEngineAdapter::RemoveAllAxes() { engine_.RemoveAllAxes(); }

int CorvaneEngineAdapter::GetCounterCount() { return engine_.GetAxisCount(); }

bool CorvaneEngineAdapter::Load(const std::string& profile_path) {
  return engine_.Load(profile_path);
}

void CorvaneEngineAdapter::SetInterval(int seconds) {
  CorvaneSettings settings = engine_.GetSettings();
  settings.Interval = seconds;
  engine_.SetSettings(settings);
}

void CorvaneEngineAdapter::SetLogLocation(const std::string& profile_path, bool banner) {
  engine_.SetLogLocation(profile_path, banner);
}

bool CorvaneEngineAdapter::IsLogging() { return engine_.GetSettings().LogMode != log_mode::kOff; }

std::string CorvaneEngineAdapter::GetLogPath() { return engine_.GetLogPath(); }

bool CorvaneEngineAdapter::Start() { return engine_.Start(/*window=*/nullptr, false); }

bool CorvaneEngineAdapter::Stop() { return engine_.Stop(); }

void CorvaneEngineAdapter::SetLogStatusSink(LogStatusSink* sink) { engine_.SetLogStatusSink(sink); }

void CorvaneEngineAdapter::SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  provider_->SetMachineWatcher(std::move(watcher));
}
void CorvaneEngineAdapter::SetAlertSink(AlertSink* sink) { engine_.SetAlertSink(sink); }
void CorvaneEngineAdapter::CopyMetrics(MetricsSnapshot* snapshot) {
  CopyEngineMetrics(engine_, snapshot);
  CompleteMetrics(*provider_, snapshot);
}

std::unique_ptr<MonitorEngine> MakeCorvaneEngine() {
  return std::make_unique<CorvaneEngineAdapter>(MakeSystemProvider(SettingsOwner::kService));
}

}  // namespace corvane::service
