#include "screensaver/screensaver_settings.h"

#include <cctype>
#include <climits>

namespace corvane::screensaver {
namespace {

std::string Clip(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

host::HostStatus SetValues(
    host::SettingsStore& store, std::string_view key,
    std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
  if (!store.OpenKey(key).ok()) {
    if (host::HostStatus created = store.CreateKey(key); !created.ok()) return created;
  }
  for (const auto& [name, value] : values) {
    if (host::HostStatus set = store.SetValue(key, name, value); !set.ok()) return set;
  }
  return {};
}

}  // namespace

int TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

ScreensaverSettings ReadScreensaverSettings(const host::SettingsStore& user, bool* profile_read) {
  ScreensaverSettings settings;
  bool have_profile = false;
  if (user.OpenKey(kScreenSaverKey).ok()) {
    const auto text = [&](std::string_view name) {
      host::HostResult<std::string> value = user.QueryValue(kScreenSaverKey, name);
      return value.ok() ? Clip(std::move(value.value), kMaxNumberText) : std::string();
    };
    settings.area_size_text = text(product::kAreaSizeValue);
    settings.timeout_text = text(product::kTimeoutValue);
    settings.area_size = TextToInt(settings.area_size_text);
    settings.timeout = TextToInt(settings.timeout_text);
    host::HostResult<std::string> profile =
        user.QueryValue(kScreenSaverKey, product::kProfileValue);
    if (profile.ok()) {
      settings.profile_path = Clip(std::move(profile.value), kMaxProfilePath);
      have_profile = true;
    }
  }
  if (!have_profile) {
    host::HostResult<std::string> recent = user.QueryValue(kRecentFileListKey, "File1");
    if (recent.ok()) {
      settings.profile_path = Clip(std::move(recent.value), kMaxProfilePath);
      have_profile = true;
    }
  }
  if (settings.area_size == 0) {
    settings.area_size = kDefaultAreaSize;
    settings.area_size_text = std::to_string(kDefaultAreaSize);
  }
  if (settings.timeout == 0) {
    settings.timeout = kDefaultTimeout;
    settings.timeout_text = std::to_string(kDefaultTimeout);
  }
  if (profile_read != nullptr) *profile_read = have_profile;
  return settings;
}

host::HostStatus WriteScreensaverValues(host::SettingsStore& store,
                                        const ScreensaverSettings& settings) {
  return SetValues(store, kScreenSaverKey,
                   {{product::kProfileValue, settings.profile_path},
                    {product::kAreaSizeValue, settings.area_size_text},
                    {product::kTimeoutValue, settings.timeout_text}});
}

host::HostStatus WriteLogonScreensaver(host::SettingsStore& default_user,
                                       const ScreensaverSettings& settings) {
  host::HostStatus desktop = SetValues(default_user, kDesktopKey,
                                       {{product::kScreenSaverProgramValue, kScreensaverProgram},
                                        {product::kScreenSaveActiveValue, "1"}});
  if (!desktop.ok()) return desktop;
  return WriteScreensaverValues(default_user, settings);
}

}  // namespace corvane::screensaver
