// The engine's activity-log operations: each takes the chart lock and hands the log the
// settings and the axes it needs.
#include <algorithm>

#include "core/engine.h"

namespace corvane {

LogSettings Corvane::CurrentLogSettings() const {
  chart::ChartLock lock(*this);
  return LogSettings{settings_.LogMode, settings_.LogFormat, settings_.LogFileSize};
}

std::span<const LogAxis> Corvane::RefreshLogAxes(std::size_t count) {
  chart::ChartLock lock(*this);
  count = std::min(count, static_cast<std::size_t>(GetAxisCount()));
  log_axes_.resize(count);  // within the capacity reserved at construction
  for (std::size_t j = 0; j < count; ++j) {
    const int i = static_cast<int>(j);
    LogAxis& axis = log_axes_[j];
    chart::Text name;
    GetAxisName(i, &name);
    axis.name = name.value_or(std::string_view{});
    GetAxisMultiplier(i, &axis.multiplier);
    GetAxisMax(i, &axis.max);
    GetAxisCritical(i, &axis.critical);
    GetAxisInverse(i, &axis.inverse);
  }
  return {log_axes_.data(), count};
}

void Corvane::SetLogLocation(const std::filesystem::path& profile_path, bool banner) {
  chart::ChartLock lock(*this);
  log_.SetLocation(profile_path.string());
  OpenLog(false);
  if (banner) WriteLogBanner();
}

bool Corvane::OpenLog(bool force_backup) {
  chart::ChartLock lock(*this);
  return log_.Open(CurrentLogSettings(), force_backup);
}

bool Corvane::WriteLogBanner() {
  chart::ChartLock lock(*this);
  return log_.WriteBanner(CurrentLogSettings(),
                          RefreshLogAxes(static_cast<std::size_t>(GetAxisCount())));
}

bool Corvane::CleanLog() {
  chart::ChartLock lock(*this);
  return log_.Clean(CurrentLogSettings(), RefreshLogAxes(static_cast<std::size_t>(GetAxisCount())));
}

std::string Corvane::GetLogPath() const {
  chart::ChartLock lock(*this);
  return log_.GetLogPath();
}

std::string Corvane::GetLogError() const {
  chart::ChartLock lock(*this);
  return log_.last_error();
}

void Corvane::SetLogStatusSink(LogStatusSink* sink) {
  chart::ChartLock lock(*this);
  log_.SetStatusSink(sink);
}

}  // namespace corvane
