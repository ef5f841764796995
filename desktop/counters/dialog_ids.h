// The ids of the counters dialog, the remote host dialog and their controls, kept as the
// object names of the Qt widgets so that tests and help reach them by the same numbers.
// Constants only; any thread.
#pragma once

#include <cstdint>

namespace corvane::desktop::dialog_id {

inline constexpr std::uint32_t kCountersDialog = 130;  // also its help context
inline constexpr std::uint32_t kComputerDialog = 132;  // also its help context

}  // namespace corvane::desktop::dialog_id
