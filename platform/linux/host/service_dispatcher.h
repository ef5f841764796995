// Runs the service body when systemd started the process, which systemd tells by
// NOTIFY_SOCKET (a notify unit) or INVOCATION_ID (every unit) in the environment. Main thread
// only.
#pragma once

#include <functional>

namespace corvane::host {

bool StartedBySystemd();

// Runs `service_main` on the calling thread when systemd started the process and returns
// true once it returns; returns false at once, running nothing, otherwise.
bool StartServiceDispatcher(const std::function<void()>& service_main);

}  // namespace corvane::host
