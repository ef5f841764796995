// The service program: reads the command line and installs, removes, runs in the console or
// hands the process to systemd. Main thread only; call it before any other thread starts,
// as it blocks the signals it turns into stop controls.
#pragma once

#include <string>
#include <vector>

#include "service/monitor_engine.h"

namespace corvane::service {

// The process's exit status, which is 0 in every case.
int ServiceMain(const std::vector<std::string>& args, const EngineFactory& make_engine);

}  // namespace corvane::service
