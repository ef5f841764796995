// The product's own texts and the keys of its settings store, the same in the desktop program,
// the screen saver and their dialogs: the application title that captions every message box,
// the profile filters and the store's key paths. Constants only (no Qt), so the parts without
// windows use them too; any thread.
#pragma once

namespace corvane::product {

inline constexpr char kAppTitle[] = "Corvane";
inline constexpr char kOrganisation[] = "Quillfen";

// Profiles.
inline constexpr char kProfileFilter[] = "Corvane Profiles (*.crvn)";
// Linux file names need no dot, so "all files" is every name.
inline constexpr char kAllFilesFilter[] = "All Files (*)";
inline constexpr char kProfileExtension[] = ".crvn";
inline constexpr char kBrowseProfilesTitle[] = "Browse Corvane Profiles";
// Activity logs, as the profiles write them.
inline constexpr char kLogFilter[] = "Corvane Logs (*.csv *.html)";
inline constexpr char kOpenLogTitle[] = "Open Log";

// Keys of the settings store.
inline constexpr char kRecentFileListKey[] = "Software\\Quillfen\\Corvane\\Recent File List";
inline constexpr char kSettingsKey[] = "Software\\Quillfen\\Corvane\\Settings";
inline constexpr char kServiceKey[] = "Software\\Quillfen\\Corvane\\Service";
inline constexpr char kScreenSaverKey[] = "Software\\Quillfen\\Corvane\\Screen Saver";

}  // namespace corvane::product
