// One run of the service, shared by the systemd service and the console: build the engine,
// serve the metrics page when an address is given, find and load the profile (or fall back on the
// default counters), start the collector, wait for the stop event, stop serving, stop the collector
// and destroy the engine. Every step ends in a start-pending report; a report that fails skips
// straight to stopping.
//
// Main thread only. The stop event may be set from any thread at any time, also before the
// run reaches its wait.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/host/event_log.h"
#include "platform/linux/host/status_reporter.h"
#include "platform/linux/host/stop_event.h"
#include "platform/linux/http/listen_address.h"
#include "service/monitor_engine.h"

namespace corvane::service {

// The profile that stands in when none can be read; its log is ServiceDefault-log.html.
inline constexpr std::string_view kFallbackProfile = "ServiceDefault.crvn";
// The sampling interval of the fallback, in seconds.
inline constexpr int kFallbackInterval = 10;
// The wait hint of every start-pending report, in milliseconds.
inline constexpr std::uint32_t kStartWaitHint = 3000;

struct ServiceRunContext {
  bool console = false;
  host::StatusReporter* status = nullptr;  // not owned
  host::EventLog* events = nullptr;        // not owned
  host::StopEvent* stop = nullptr;         // not owned
  EngineFactory make_engine;
  // The "Profile" value of the service's settings key; empty when the key or value is missing.
  std::function<std::string()> read_profile_setting;
  // Console: the program's own arguments (program, "-run", profile...). Service: none.
  std::vector<std::string> args;
  // Where to serve the metrics page while the run lasts; nothing: no listener.
  std::optional<http::ListenAddress> metrics_address;
  // The web configuration file of that listener (TLS, basic authentication); nothing: plain
  // HTTP for anyone. A file that cannot be served refuses the run like a busy address.
  std::optional<std::string> web_config;
  // The folder whose "Logs" folder takes the fallback profile's log (see log_folder.h).
  std::function<std::string()> fallback_log_base;
  std::FILE* out = stdout;  // console messages
  std::FILE* err = stderr;
};

enum class RunOutcome {
  kStopped,         // the collector stopped (or never started) and the engine is gone
  kCollectorStuck,  // the collector would not stop; the engine was left alive for it
  kMetricsRefused,  // the metrics address could not be served; the collector never started
};

RunOutcome RunService(const ServiceRunContext& context);

}  // namespace corvane::service
