// CorvaneSettings: the engine's 29 settings, copied in and out whole, with their defaults, the
// ranges the engine enforces, the window-rectangle rule and the key names profiles store them
// under. Plain values and pure functions; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/engine_host.h"

namespace corvane {

// Member names are the profile keys.
struct CorvaneSettings {
  std::int32_t Interval = 2;          // seconds between samples, 1..120
  std::int32_t History = 30;          // samples in the average, 2..120
  std::int32_t Caption = 1;           // window shows its title bar and menu
  std::int32_t AlwaysOntop = 0;       // window stays above the others
  std::int32_t EnableTray = 1;        // tray icon
  std::int32_t ShowCurrent = 1;       // current series drawn
  std::int32_t ShowAverage = 1;       // average series drawn
  std::int32_t ShowMax = 0;           // maximum series drawn
  std::int32_t BoldCur = 0;           // current line 2 pixels wide
  std::int32_t BoldAvg = 1;           // average line 2 pixels wide
  std::int32_t BoldMax = 0;           // maximum line 2 pixels wide
  std::int32_t BoldCrit = 0;          // critical border 2 pixels wide
  std::int32_t CurColor = 0x00FFFF;   // 0x00BBGGRR
  std::int32_t AvgColor = 0x00CC00;   // 0x00BBGGRR
  std::int32_t MaxColor = 0xFFFF7F;   // 0x00BBGGRR
  std::int32_t BackColor = 0x000000;  // 0x00BBGGRR
  std::int32_t TextColor = 0xFFFFFF;  // 0x00BBGGRR, labels and status text
  std::int32_t LineColor = 0x808080;  // 0x00BBGGRR, grid and axes
  std::int32_t CritColor = 0x0000FF;  // 0x00BBGGRR, critical border
  std::int32_t WndLeft = 12;          // screen pixels
  std::int32_t WndTop = 9;            // screen pixels
  std::int32_t WndRight = 0;          // screen pixels; default from the screen (DefaultSettings)
  std::int32_t WndBottom = 0;         // screen pixels; default from the screen (DefaultSettings)
  std::int32_t LogMode = 2;           // LogMode values below
  std::int32_t LogFormat = 0;         // 0 HTML, 1 CSV
  std::int32_t LogFileSize = 64;      // KB (x 1024 bytes), 1..10240
  // The alert rule (core/alert_rule.h). Builds that do not know these keys skip them.
  std::int32_t AlertAfter = 3;  // consecutive critical samples that start an alert, 1..120
  std::int32_t AlertClear = 2;  // consecutive normal samples that end it, 1..120
  // A desktop notification when a counter enters the alert state. A display flag: off for a
  // new profile (see the README's "Alerts"), saved silently, never makes the profile modified.
  std::int32_t NotifyCritical = 0;

  bool operator==(const CorvaneSettings&) const = default;
};

inline constexpr int kSettingCount = 29;

inline constexpr std::int32_t kMinInterval = 1;    // seconds
inline constexpr std::int32_t kMaxInterval = 120;  // seconds
inline constexpr std::int32_t kMinHistory = 2;     // samples
inline constexpr std::int32_t kMaxHistory = 120;   // samples; also the history ring's length

namespace log_mode {
inline constexpr std::int32_t kOff = 0;
inline constexpr std::int32_t kEveryUpdate = 1;
inline constexpr std::int32_t kValueChanges = 2;
inline constexpr std::int32_t kStateChanges = 3;
}  // namespace log_mode

inline bool IntervalInRange(std::int32_t seconds) {
  return seconds >= kMinInterval && seconds <= kMaxInterval;
}
inline bool HistoryInRange(std::int32_t samples) {
  return samples >= kMinHistory && samples <= kMaxHistory;
}

// The defaults, with the window rectangle taken from the primary screen: 12, 9,
// width / 5 * 2 + 12, height / 5 * 2 + 9 (integer division).
CorvaneSettings DefaultSettings(ScreenSize screen);

// Sound when left < right, top < bottom, right <= screen width, bottom <= screen height and
// left and top are not negative.
bool WindowRectIsSound(const CorvaneSettings& settings, ScreenSize screen);

// One setting: its profile key and where it lives in the record.
struct SettingKey {
  std::string_view key;
  std::int32_t CorvaneSettings::*member;
};

// The order a profile writes the settings in (not the record's order).
const std::array<SettingKey, kSettingCount>& SettingsInFileOrder();

// The setting a profile key names (exact, case-sensitive), or nullptr.
std::int32_t* FindSetting(CorvaneSettings& settings, std::string_view key);

}  // namespace corvane
