// Tells what a file dropped on the window (or opened) is by its first bytes: an activity log,
// a profile, or neither. Reads at most a few kilobytes; any thread.
#pragma once

#include <filesystem>

namespace corvane::recording {

enum class DroppedFileKind { kActivityLog, kProfile, kUnknown };

DroppedFileKind ClassifyDroppedFile(const std::filesystem::path& path);

}  // namespace corvane::recording
