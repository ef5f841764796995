// The product's own texts, the same in the desktop program, the screen saver and their
// dialogs: the application title that captions every message box and the profile filters; and,
// from core/settings_keys.h, the keys of its settings store. Constants only (no Qt); any thread.
#pragma once

#include "core/settings_keys.h"

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

}  // namespace corvane::product
