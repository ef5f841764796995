// The service program: reads the command line and installs, removes, runs in the console or
// hands the process to systemd. Main thread only; call it before any other thread starts,
// as it blocks the signals it turns into stop controls.
#pragma once

#include <string>
#include <vector>

#include "service/monitor_engine.h"

namespace corvane::service {

// The process's exit status: 1 when -install or -remove failed; for a run (in the console or
// under systemd) 2 when its metrics address is malformed and 1 when that address cannot be
// served, nothing having been sampled; else 0 (a run reports its other troubles in the log and
// the status instead).
int ServiceMain(const std::vector<std::string>& args, const EngineFactory& make_engine);

}  // namespace corvane::service
