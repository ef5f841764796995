// How a dialog asks for the application's help: a call with the help context of its page
// (106 wizard, 130 counters, 132 remote host, 133 preferences, 146 log settings, 200 connection
// trouble). The application binds it to its help operation; tests pass a recorder.
// GUI thread only.
#pragma once

#include <cstdint>
#include <functional>

namespace corvane::desktop {

using HelpRequest = std::function<void(std::uint32_t context)>;

}  // namespace corvane::desktop
