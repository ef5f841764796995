#include "core/corvane_settings.h"

namespace corvane {

CorvaneSettings DefaultSettings(ScreenSize screen) {
  CorvaneSettings settings;
  settings.WndRight = screen.width / 5 * 2 + 12;
  settings.WndBottom = screen.height / 5 * 2 + 9;
  return settings;
}

bool WindowRectIsSound(const CorvaneSettings& s, ScreenSize screen) {
  return s.WndLeft < s.WndRight && s.WndTop < s.WndBottom && s.WndRight <= screen.width &&
         s.WndBottom <= screen.height && s.WndLeft >= 0 && s.WndTop >= 0;
}

const std::array<SettingKey, kSettingCount>& SettingsInFileOrder() {
  using S = CorvaneSettings;
  static const std::array<SettingKey, kSettingCount> keys{{
      {"History", &S::History},
      {"Interval", &S::Interval},
      {"AlwaysOntop", &S::AlwaysOntop},
      {"EnableTray", &S::EnableTray},
      {"Caption", &S::Caption},
      {"ShowCurrent", &S::ShowCurrent},
      {"ShowAverage", &S::ShowAverage},
      {"ShowMax", &S::ShowMax},
      {"CurColor", &S::CurColor},
      {"AvgColor", &S::AvgColor},
      {"MaxColor", &S::MaxColor},
      {"BackColor", &S::BackColor},
      {"TextColor", &S::TextColor},
      {"LineColor", &S::LineColor},
      {"CritColor", &S::CritColor},
      {"BoldCur", &S::BoldCur},
      {"BoldAvg", &S::BoldAvg},
      {"BoldMax", &S::BoldMax},
      {"BoldCrit", &S::BoldCrit},
      {"WndLeft", &S::WndLeft},
      {"WndRight", &S::WndRight},
      {"WndTop", &S::WndTop},
      {"WndBottom", &S::WndBottom},
      {"LogMode", &S::LogMode},
      {"LogFormat", &S::LogFormat},
      {"LogFileSize", &S::LogFileSize},
      {"AlertAfter", &S::AlertAfter},
      {"AlertClear", &S::AlertClear},
      {"NotifyCritical", &S::NotifyCritical},
  }};
  return keys;
}

std::int32_t* FindSetting(CorvaneSettings& settings, std::string_view key) {
  for (const SettingKey& setting : SettingsInFileOrder()) {
    if (setting.key == key) return &(settings.*setting.member);
  }
  return nullptr;
}

}  // namespace corvane
