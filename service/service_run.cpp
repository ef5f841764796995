#include "service/service_run.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "service/alert_reporter.h"
#include "service/command_line.h"
#include "service/log_status_reporter.h"
#include "service/machine_status_reporter.h"
#include "service/metrics_server.h"
#include "service/notice_channel.h"

namespace corvane::service {
namespace {

using host::ServiceState;

// The engine gives up on a stop after 5 s; together these allow about a minute, which the
// remote provider's bounded time-outs never come near, before the run ends without it.
constexpr int kStopAttempts = 12;
constexpr auto kStopRetryPause = std::chrono::milliseconds(100);
constexpr std::uint32_t kStopWaitHint = 6000;  // milliseconds, per attempt

// A failure that has no message of its own: the console shows it, the service records it.
void Complain(const ServiceRunContext& context, int code, const std::string& message) {
  if (context.console) {
    std::fprintf(context.err, "%s\n", message.c_str());
    return;
  }
  errno = code;
  context.events->Report(message);
}

std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

// What a collector that would not stop still uses. Held from a static pointer and never
// destroyed: destroying it at exit could pull it from under the collector thread.
struct LeftToCollector {
  std::unique_ptr<MonitorEngine> engine;
  std::unique_ptr<LogStatusReporter> log_status;
  std::unique_ptr<AlertReporter> alerts;
};

void LeaveToCollector(std::unique_ptr<MonitorEngine> engine,
                      std::unique_ptr<LogStatusReporter> log_status,
                      std::unique_ptr<AlertReporter> alerts) {
  static std::mutex mutex;
  static auto* const kept = new std::vector<LeftToCollector>();
  std::lock_guard lock(mutex);
  kept->push_back({std::move(engine), std::move(log_status), std::move(alerts)});
}

// Steps 1 to 6: false when a step failed and the run goes straight to stopping. `engine`,
// `metrics` and `started` tell that step what there is to undo.
bool RunSteps(const ServiceRunContext& context, std::unique_ptr<MonitorEngine>* engine,
              LogStatusReporter* log_status, AlertReporter* alerts,
              std::unique_ptr<MetricsServer>* metrics, bool* metrics_refused, bool* started) {
  const auto report = [&] {
    return context.status->Report(ServiceState::kStartPending, 0, kStartWaitHint);
  };

  // 1. The engine, without a window and silent.
  *engine = context.make_engine();
  if (!*engine) {
    Complain(context, ENOMEM, "failed to build the monitoring engine");
    return false;
  }
  const NoticeChannel notices(context.console, context.events, context.err);
  (*engine)->SetLogStatusSink(log_status);
  (*engine)->SetMachineWatcher(std::make_shared<MachineStatusReporter>(notices));
  (*engine)->SetAlertSink(alerts);
  if (!report()) return false;

  // The metrics listener comes before the profile, so that an address that cannot be served
  // refuses the run before anything is sampled or logged.
  if (context.metrics_address) {
    http::StartError error;
    MonitorEngine* source = engine->get();
    std::optional<MetricsServer::WebConfigUse> web_config;
    if (context.web_config) {
      web_config = MetricsServer::WebConfigUse{
          *context.web_config, [notices](bool failed, const std::string& line) {
            notices.Tell(
                failed ? host::EventLog::Severity::kWarning : host::EventLog::Severity::kNotice,
                line);
          }};
    }
    MetricsServer::RoseSource rose{
        [source](chart::DrawingSurface& surface, const chart::Rect& rect) {
          source->DrawPicture(surface, rect);
        },
        [source] { return source->ProfileName(); }, [source] { return source->GetLogPlace(); },
        [source] { return source->MakePlaybackProvider(); }, RosePicture::RenderPng};
    // Room for a wall of browsers watching the rose (each stream holds a connection) beside
    // the scrapes: 60 streams at most, the last 4 connections for everyone else.
    http::HttpLimits limits;
    limits.connections = 64;
    *metrics = MetricsServer::Start(
        *context.metrics_address,
        [source](MetricsSnapshot* snapshot) { source->CopyMetrics(snapshot); }, &error, limits,
        web_config ? &*web_config : nullptr, std::move(rose));
    if (*metrics == nullptr) {
      Complain(context, error.code, error.text);
      *metrics_refused = true;
      return false;
    }
    if (context.console) {
      std::fprintf(context.out, "Metrics: %s://%s/metrics\n", (*metrics)->tls() ? "https" : "http",
                   context.metrics_address->text.c_str());
    }
    MetricsServer* server = metrics->get();
    (*engine)->SetRepaintListener([server] { server->Repainted(); });
  }

  // 2. The stop event belongs to the host: it exists before any signal is watched, so that
  //    an interrupt that comes while the profile loads is kept rather than lost.
  if (!report()) return false;

  // 3. The profile: the setting, unless the command line names one.
  std::string profile = context.read_profile_setting ? context.read_profile_setting() : "";
  if (const RunArguments run = ParseRunArguments(context.args); !run.profile.empty()) {
    profile = run.profile;
  }
  profile = Absolute(profile);
  if (!report()) return false;

  // 4. Load it.
  (*engine)->SetUpNewProfile();
  (*engine)->RemoveAllAxes();
  const bool loaded = (*engine)->Load(profile);
  // A file that reads as a profile without a single counter (an empty or foreign file) runs
  // as it is, logging bare time stamps, but never silently.
  if (loaded && (*engine)->GetCounterCount() == 0) {
    notices.Tell(host::EventLog::Severity::kWarning,
                 "The profile \"" + profile + "\" has no counters; nothing is sampled.");
  }
  if (!report()) return false;

  // 5. Or run the default counters, logging as ServiceDefault. The log location is given as
  //    a full path, so the current folder does not matter and stays as it is.
  if (!loaded) {
    (*engine)->SetUpNewProfile();
    (*engine)->SetInterval(kFallbackInterval);
    const std::string base = context.fallback_log_base();
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (error) {
      Complain(context, error.value(),
               "cannot create the log folder " + base + ": " + error.message());
    }
    (*engine)->SetLogLocation((std::filesystem::path(base) / kFallbackProfile).string(), false);
    if (context.console && profile.empty()) {
      std::fprintf(context.out, "No profile is configured; using the default counters.\n");
    } else if (context.console) {
      std::fprintf(context.out, "Cannot read the profile \"%s\"; using the default counters.\n",
                   profile.c_str());
    }
  }
  if (context.console) {
    if ((*engine)->IsLogging()) {
      std::fprintf(context.out, "Activity log: %s\n", (*engine)->GetLogPath().c_str());
    } else {
      std::fprintf(context.out, "Activity log: off in this profile\n");
    }
    std::fflush(context.out);
  }
  if (!report()) return false;

  // 6. Collect until told to stop.
  *started = (*engine)->Start();
  if (!*started) {
    Complain(context, EAGAIN, "failed to start the collector");
    return false;
  }
  if (!context.status->Report(ServiceState::kRunning, 0, 0)) return false;
  context.stop->Wait();
  return true;
}

}  // namespace

RunOutcome RunService(const ServiceRunContext& context) {
  // Made before the engine, which tells it of the log's failures until it is destroyed.
  auto log_status =
      std::make_unique<LogStatusReporter>(context.console, context.events, context.err);
  auto alerts = std::make_unique<AlertReporter>(context.console, context.events, context.err);
  std::unique_ptr<MonitorEngine> engine;
  std::unique_ptr<MetricsServer> metrics;  // serves from the engine: goes before it
  bool metrics_refused = false;
  bool started = false;
  RunSteps(context, &engine, log_status.get(), alerts.get(), &metrics, &metrics_refused, &started);
  if (engine) engine->SetRepaintListener(nullptr);  // the collector may still repaint
  metrics.reset();

  // 7. Stop the collector, then destroy the engine; never destroy it under a running
  //    collector. Stop refuses while the collector is still starting, so it is tried again.
  if (engine && started) {
    bool stopped = false;
    for (int attempt = 0; attempt < kStopAttempts && !stopped; ++attempt) {
      if (attempt > 0) {
        if (!context.console) context.status->Report(ServiceState::kStopPending, 0, kStopWaitHint);
        std::this_thread::sleep_for(kStopRetryPause);
      }
      stopped = engine->Stop();
    }
    if (!stopped) {
      Complain(context, ETIMEDOUT, "failed to stop the collector");
      // The collector still uses the engine and its sinks: they are left to the end of the
      // process, never destroyed, and kept where the leak checker sees them held on purpose.
      LeaveToCollector(std::move(engine), std::move(log_status), std::move(alerts));
      return RunOutcome::kCollectorStuck;
    }
  }
  engine.reset();
  return metrics_refused ? RunOutcome::kMetricsRefused : RunOutcome::kStopped;
}

}  // namespace corvane::service
