// The keys of the settings store and the names of the values the programs share: the desktop
// program, the screen saver, the service, the privileged store writer and their dialogs all
// read them from here. Constants only (no Qt, no host), so every part uses them; any thread.
#pragma once

namespace corvane::product {

// Keys.
inline constexpr char kRecentFileListKey[] = "Software\\Quillfen\\Corvane\\Recent File List";
inline constexpr char kSettingsKey[] = "Software\\Quillfen\\Corvane\\Settings";
inline constexpr char kServiceKey[] = "Software\\Quillfen\\Corvane\\Service";
inline constexpr char kScreenSaverKey[] = "Software\\Quillfen\\Corvane\\Screen Saver";
inline constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// Values: the profile of the service and of the screen saver, the screen saver's area and
// timeout, and the desktop's screen saver program and switch.
inline constexpr char kProfileValue[] = "Profile";
inline constexpr char kAreaSizeValue[] = "AreaSize";
inline constexpr char kTimeoutValue[] = "Timeout";
inline constexpr char kScreenSaverProgramValue[] = "SCRNSAVE.EXE";
inline constexpr char kScreenSaveActiveValue[] = "ScreenSaveActive";

}  // namespace corvane::product
