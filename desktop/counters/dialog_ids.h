// The resource ids of the counters dialog and the remote host dialog, kept in the object names
// of the Qt widgets (platform/qt/object_name.h) so that tests reach them by those numbers.
// Constants only; any thread.
#pragma once

#include <cstdint>

namespace corvane::desktop::dialog_id {

inline constexpr std::uint32_t kCountersDialog = 130;
inline constexpr std::uint32_t kComputerDialog = 132;

}  // namespace corvane::desktop::dialog_id
