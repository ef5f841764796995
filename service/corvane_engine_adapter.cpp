#include "service/corvane_engine_adapter.h"

#include <filesystem>

#include "core/corvane_settings.h"
#include "core/engine_picture.h"
#include "platform/system_provider.h"

namespace corvane::service {

CorvaneEngineAdapter::CorvaneEngineAdapter(std::unique_ptr<perf::Provider> provider)
    : provider_(std::move(provider)), engine_(*provider_, /*interactive=*/false) {}

void CorvaneEngineAdapter::SetUpNewProfile() { engine_.SetUpNewProfile(); }

void CorvaneEngineAdapter::RemoveAllAxes() { engine_.RemoveAllAxes(); }

int CorvaneEngineAdapter::GetCounterCount() { return engine_.GetAxisCount(); }

bool CorvaneEngineAdapter::Load(const std::string& profile_path) {
  const bool loaded = engine_.Load(profile_path);
  if (loaded) {
    std::lock_guard lock(name_mutex_);
    profile_name_ = std::filesystem::path(profile_path).stem().string();
    profile_path_ = profile_path;
  }
  return loaded;
}

void CorvaneEngineAdapter::SetInterval(int seconds) {
  CorvaneSettings settings = engine_.GetSettings();
  settings.Interval = seconds;
  engine_.SetSettings(settings);
}

void CorvaneEngineAdapter::SetLogLocation(const std::string& profile_path, bool banner) {
  engine_.SetLogLocation(profile_path, banner);
  std::lock_guard lock(name_mutex_);
  if (profile_name_.empty()) profile_name_ = std::filesystem::path(profile_path).stem().string();
}

bool CorvaneEngineAdapter::IsLogging() { return engine_.GetSettings().LogMode != log_mode::kOff; }

std::string CorvaneEngineAdapter::GetLogPath() { return engine_.GetLogPath(); }

bool CorvaneEngineAdapter::Start() { return engine_.Start(&bell_, false); }

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

void CorvaneEngineAdapter::DrawPicture(chart::DrawingSurface& surface, const chart::Rect& rect) {
  DrawWholePicture(engine_, surface, rect);
}

std::string CorvaneEngineAdapter::ProfileName() {
  std::lock_guard lock(name_mutex_);
  return profile_name_;
}

MonitorEngine::LogPlace CorvaneEngineAdapter::GetLogPlace() {
  LogPlace place;
  if (IsLogging()) place.log = engine_.GetLogPath();  // both under the engine's lock
  std::lock_guard lock(name_mutex_);
  place.profile = profile_path_;
  return place;
}

std::unique_ptr<perf::Provider> CorvaneEngineAdapter::MakePlaybackProvider() {
  return MakeSystemProvider(SettingsOwner::kService);
}

void CorvaneEngineAdapter::SetRepaintListener(std::function<void()> listener) {
  bell_.Set(std::move(listener));
}

void CorvaneEngineAdapter::RepaintBell::Invalidate(bool) {
  std::lock_guard lock(mutex_);
  if (listener_) listener_();
}

void CorvaneEngineAdapter::RepaintBell::Set(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

std::unique_ptr<MonitorEngine> MakeCorvaneEngine() {
  return std::make_unique<CorvaneEngineAdapter>(MakeSystemProvider(SettingsOwner::kService));
}

}  // namespace corvane::service
