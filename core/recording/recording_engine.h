// Readies an engine to show a recording: the axes and settings of the profile that wrote the
// log, or, without one, the log's own columns on the default scale. The engine keeps no
// activity log afterwards, so neither the recording nor the profile's log is touched. Any
// thread; the engine's collector must not run.
#pragma once

#include <filesystem>
#include <string>

#include "core/engine.h"
#include "core/recording/recording_settings.h"

namespace corvane::recording {

// The engine's new-profile set-up and default settings, then the profile's counters and settings
// with the log turned off; modified is cleared. False with the reason (file and system error) when
// the profile cannot be read or holds no counter.
bool LoadProfileWithoutLog(Corvane& engine, const std::filesystem::path& profile,
                           std::string* error);

// The engine's new-profile set-up and default settings with one axis per column of the log (up to
// the engine's capacity), the log turned off.
void UseLogColumns(Corvane& engine, const RecordingSettings& settings);

}  // namespace corvane::recording
