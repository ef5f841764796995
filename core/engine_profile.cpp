// What the engine adds to the chart's profile: its header line, its 29 settings and the counter
// path of every axis, and the checks after a load.
#include <memory>

#include "chart/profile_numbers.h"
#include "core/counter_item.h"
#include "core/engine.h"

namespace corvane {

bool Corvane::WriteItem(chart::ProfileWriter& file, const chart::AxisItem& item) const {
  const std::string* path = CounterPathOf(&item);
  if (path == nullptr) return true;  // not a counter path: nothing of it goes into the file
  return file.WriteText("Counter", *path);
}

bool Corvane::WriteSettings(chart::ProfileWriter& file) const {
  chart::ChartLock lock(*this);
  for (const SettingKey& setting : SettingsInFileOrder()) {
    if (!file.WriteInteger(setting.key, settings_.*setting.member)) return false;
  }
  // After every other setting, and only when set, so that a profile without a server keeps
  // its bytes and older readers pass over the key they do not know.
  if (!remote_server_.empty() && !file.WriteText("PrometheusServer", remote_server_)) return false;
  return true;
}

bool Corvane::WriteHeader(chart::ProfileWriter& file) const {
  return file.WriteLine("") && file.WriteLine("# CORVANE CONFIGURATION FILE. DO NOT MODIFY!") &&
         file.WriteLine("");
}

chart::AxisItem* Corvane::ReadItem(std::string_view key, std::string_view value) {
  if (key != "Counter") return nullptr;
  return new CounterItem(std::string(value));
}

void Corvane::ReadSetting(std::string_view key, std::string_view value) {
  chart::ChartLock lock(*this);
  if (key == "PrometheusServer") {
    remote_server_ = std::string(value);
    return;
  }
  std::int32_t* setting = FindSetting(settings_, key);
  if (setting == nullptr) return;
  if (value.empty()) return;  // "Key=" with nothing after it keeps the value there was
  const std::int32_t number = chart::ParseProfileInteger(value);
  if (setting == &settings_.History && !HistoryInRange(number)) return;
  if (setting == &settings_.Interval && !IntervalInRange(number)) return;
  if ((setting == &settings_.AlertAfter || setting == &settings_.AlertClear) &&
      !AlertSamplesInRange(number)) {
    return;
  }
  *setting = number;
}

void Corvane::FreeItem(chart::AxisItem* item) { delete item; }

bool Corvane::Load(const std::filesystem::path& path) {
  // Read before the lock: a slow or endless file must not stall drawing and collecting.
  ProfileBytes profile = ReadProfile(path);
  chart::ChartLock lock(*this);
  const bool loaded = LoadProfileBytes(path, std::move(profile));
  const ScreenSize screen = GetScreenSize();
  if (!WindowRectIsSound(settings_, screen)) {
    const CorvaneSettings defaults = DefaultSettings(screen);
    settings_.WndLeft = defaults.WndLeft;
    settings_.WndTop = defaults.WndTop;
    settings_.WndRight = defaults.WndRight;
    settings_.WndBottom = defaults.WndBottom;
  }
  if (loaded) SetLogLocation(path, false);
  SetModified(false);
  return loaded;
}

}  // namespace corvane
