// Where the running program lies: the full path of its file (/proc/self/exe, which holds the
// path with symbolic links resolved) and its folder. Any thread.
#pragma once

#include <string>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

HostResult<std::string> ProgramPath();
// The folder of ProgramPath(), without a trailing slash ("/" for a program at the root).
HostResult<std::string> ProgramFolder();

}  // namespace corvane::host
