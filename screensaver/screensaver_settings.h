// ScreensaverSettings: the profile, chart size and move interval the screen saver runs with,
// read from the user's settings store ("Screen Saver" key, with the desktop program's most
// recent profile as the fallback) and written by the options dialog, also for the logon
// screen saver in the default user's store. Plain functions over a SettingsStore; any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/host/host_status.h"
#include "platform/linux/host/settings_store.h"
#include "platform/qt/product_text.h"

namespace corvane::screensaver {

using product::kDesktopKey;
using product::kRecentFileListKey;
using product::kScreenSaverKey;
// The name the logon desktop's "SCRNSAVE.EXE" holds, the same the desktop program writes.
inline constexpr std::string_view kScreensaverProgram = "corvscreen.scr";

inline constexpr int kDefaultAreaSize = 50;          // percent
inline constexpr int kDefaultTimeout = 20;           // seconds
inline constexpr std::size_t kMaxNumberText = 23;    // characters kept of AreaSize and Timeout
inline constexpr std::size_t kMaxProfilePath = 259;  // characters kept of the profile path

struct ScreensaverSettings {
  std::string profile_path;
  int area_size = 0;           // percent of the screen's width and height; 1..100 when valid
  int timeout = 0;             // seconds in one place; 1..100 when valid
  std::string area_size_text;  // as stored, for the options dialog
  std::string timeout_text;

  bool operator==(const ScreensaverSettings&) const = default;
};

// A number as the settings hold it: leading blanks, an optional sign and the digits that
// follow; anything else ends it, and no digits read as 0. "050" is 50, "12ab" is 12.
int TextToInt(std::string_view text);

// Reads the settings from `user` with their fallbacks: "File1" of the recent-file list when no
// profile is stored, 50 and 20 for an area size and timeout of 0. Sets *profile_read to whether
// a profile path was found (either way).
ScreensaverSettings ReadScreensaverSettings(const host::SettingsStore& user,
                                            bool* profile_read = nullptr);

// "Profile", "AreaSize" and "Timeout" under the "Screen Saver" key, which is created when it is
// missing. Texts are stored as given.
host::HostStatus WriteScreensaverValues(host::SettingsStore& store,
                                        const ScreensaverSettings& settings);

// The logon screen saver in the default user's store: "SCRNSAVE.EXE" and "ScreenSaveActive"
// under "Control Panel\Desktop", then the three values as WriteScreensaverValues.
host::HostStatus WriteLogonScreensaver(host::SettingsStore& default_user,
                                       const ScreensaverSettings& settings);

}  // namespace corvane::screensaver
