#include "service/service_host.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "core/product_version.h"
#include "platform/linux/host/event_log.h"
#include "platform/linux/host/program_path.h"
#include "platform/linux/host/service_dispatcher.h"
#include "platform/linux/host/service_manager.h"
#include "platform/linux/host/settings_store.h"
#include "platform/linux/host/signal_watcher.h"
#include "platform/linux/host/status_reporter.h"
#include "platform/linux/host/stop_event.h"
#include "service/command_line.h"
#include "service/log_folder.h"
#include "service/service_install.h"
#include "service/service_run.h"

namespace corvane::service {
namespace {

using host::ServiceState;

const std::string kName(kServiceName);

InstallContext MakeInstallContext(host::ServiceManager* manager, host::SettingsStore* hive) {
  InstallContext context;
  context.manager = manager;
  context.default_hive = hive;
  context.program_path = host::ProgramPath;
  return context;
}

std::string FallbackLogBase() {
  host::HostResult<std::string> folder = host::ProgramFolder();
  return ChooseLogBase(LogFolderInputs::FromEnvironment(folder.ok() ? folder.value : ""));
}

// The run's common part; `args` are the console's arguments (none for the service).
ServiceRunContext MakeRunContext(bool console, host::StatusReporter* status, host::EventLog* events,
                                 host::StopEvent* stop, const EngineFactory& make_engine,
                                 const std::vector<std::string>& args) {
  ServiceRunContext context;
  context.console = console;
  context.status = status;
  context.events = events;
  context.stop = stop;
  context.make_engine = make_engine;
  context.args = args;
  context.fallback_log_base = FallbackLogBase;
  context.read_profile_setting = [console, events] {
    host::SettingsStore hive(host::Hive::kDefaultUser);
    host::HostResult<std::string> value = hive.QueryValue(kServiceKey, kProfileValue);
    if (value.ok()) return value.value;
    // A missing key or value leaves the path empty; a store that cannot be read says why.
    if (value.status.code() != ENOENT) {
      if (console) {
        std::fprintf(stderr, "%s: %s\n", std::string(kProgramFileName).c_str(),
                     value.status.Message().c_str());
      } else {
        errno = value.status.code();
        events->Report("cannot read the service's settings: " + value.status.Message());
      }
    }
    return std::string();
  };
  return context;
}

// Exit statuses of a run that never started sampling.
constexpr int kExitMalformedAddress = 2;
constexpr int kExitMetricsRefused = 1;

// A value of the service's settings: nothing when the key or value is missing or empty. A store
// that cannot be read says why (on the console or in the system log) and counts as none.
std::optional<std::string> StoredSetting(bool console, host::EventLog* events,
                                         std::string_view name) {
  host::SettingsStore hive(host::Hive::kDefaultUser);
  host::HostResult<std::string> value = hive.QueryValue(kServiceKey, name);
  if (value.ok()) {
    if (value.value.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    return value.value;
  }
  if (value.status.code() != ENOENT) {
    if (console) {
      std::fprintf(stderr, "%s: %s\n", std::string(kProgramFileName).c_str(),
                   value.status.Message().c_str());
    } else {
      errno = value.status.code();
      events->Report("cannot read the service's settings: " + value.status.Message());
    }
  }
  return std::nullopt;
}

// The run's metrics address, the command line's before the store's. False (after saying why)
// when the address given cannot be one.
bool ResolveMetricsAddress(bool console, const std::optional<std::string>& command_line,
                           host::EventLog* events, std::optional<http::ListenAddress>* address) {
  const std::optional<std::string> text =
      command_line ? command_line : StoredSetting(console, events, kMetricsAddressValue);
  if (!text) return true;
  std::string error;
  *address = http::ParseListenAddress(*text, &error);
  if (*address) return true;
  if (console) {
    std::fprintf(stderr, "%s: %s\n", std::string(kProgramFileName).c_str(), error.c_str());
  } else {
    errno = EINVAL;
    events->Report("cannot serve metrics: " + error);
  }
  return false;
}

// The run's web configuration file, the command line's before the store's.
std::optional<std::string> ResolveWebConfig(bool console,
                                            const std::optional<std::string>& command_line,
                                            host::EventLog* events) {
  return command_line ? command_line : StoredSetting(console, events, kWebConfigFileValue);
}

// Signals that come after the run are of no use any more: they are dropped, so that lifting
// the watcher's block cannot end the process with a signal status.
void IgnoreLateSignals(std::initializer_list<int> signals) {
  for (const int signal : signals) ::signal(signal, SIG_IGN);
}

void EndIfStuck(RunOutcome outcome) {
  if (outcome != RunOutcome::kCollectorStuck) return;
  // The collector still runs on the engine: end the process without tearing anything down
  // under it.
  std::fflush(nullptr);
  std::_Exit(0);
}

int ServiceBody(const EngineFactory& make_engine) {
  host::EventLog events(kName, false);
  host::StatusReporter status(false, &events);
  host::StopEvent stop;

  std::optional<http::ListenAddress> metrics;
  if (!ResolveMetricsAddress(false, std::nullopt, &events, &metrics)) {
    status.Report(ServiceState::kStopped, EINVAL, 0);
    return kExitMalformedAddress;
  }

  // SIGTERM is the stop control; SIGHUP asks for the current status again.
  auto watcher = host::SignalWatcher::Start({SIGTERM, SIGHUP}, [&](int signal) {
    if (signal == SIGTERM) {
      status.Report(ServiceState::kStopPending, 0, 0);
      stop.Set();
    } else {
      status.ReportCurrent();
    }
  });
  if (!watcher.ok()) {
    errno = watcher.status.code();
    events.Report("failed to register the control handler: " + watcher.status.Message());
    return 0;
  }

  RunOutcome outcome = RunOutcome::kStopped;
  if (status.Report(ServiceState::kStartPending, 0, kStartWaitHint)) {
    ServiceRunContext context = MakeRunContext(false, &status, &events, &stop, make_engine, {});
    context.metrics_address = std::move(metrics);
    context.web_config = ResolveWebConfig(false, std::nullopt, &events);
    outcome = RunService(context);
  }
  status.Report(ServiceState::kStopped, events.saved_code(), 0);
  EndIfStuck(outcome);
  IgnoreLateSignals({SIGTERM, SIGHUP});
  watcher.value.reset();
  return outcome == RunOutcome::kMetricsRefused ? kExitMetricsRefused : 0;
}

int ConsoleRun(const std::vector<std::string>& args, const EngineFactory& make_engine) {
  host::EventLog events(kName, true);
  const RunArguments run = ParseRunArguments(args);
  if (!run.error.empty()) {
    std::fprintf(stderr, "%s: %s\n", std::string(kProgramFileName).c_str(), run.error.c_str());
    return kExitMalformedAddress;
  }
  std::optional<http::ListenAddress> metrics;
  if (!ResolveMetricsAddress(true, run.metrics_address, &events, &metrics)) {
    return kExitMalformedAddress;
  }

  std::printf("Starting %s service as a console application.\n", kName.c_str());
  std::printf("Use Control-C to interrupt the program.\n");
  std::fflush(stdout);

  host::StatusReporter status(true, &events);
  host::StopEvent stop;

  // SIGINT and SIGQUIT are the console's Control-C and Control-Break. SIGTERM and SIGHUP
  // stop the same way, so that the collector always finishes the log row it is writing.
  auto watcher = host::SignalWatcher::Start({SIGINT, SIGQUIT, SIGTERM, SIGHUP}, [&](int) {
    std::printf("Stopping service %s.\n", kName.c_str());
    std::fflush(stdout);
    stop.Set();
  });
  if (!watcher.ok()) {
    std::fprintf(stderr, "%s: cannot watch for Control-C: %s\n",
                 std::string(kProgramFileName).c_str(), watcher.status.Message().c_str());
  }

  ServiceRunContext context = MakeRunContext(true, &status, &events, &stop, make_engine, args);
  context.metrics_address = std::move(metrics);
  context.web_config = ResolveWebConfig(true, run.web_config, &events);
  const RunOutcome outcome = RunService(context);
  EndIfStuck(outcome);
  IgnoreLateSignals({SIGINT, SIGQUIT, SIGTERM, SIGHUP});
  watcher.value.reset();
  return outcome == RunOutcome::kMetricsRefused ? kExitMetricsRefused : 0;
}

}  // namespace

int ServiceMain(const std::vector<std::string>& args, const EngineFactory& make_engine) {
  const ServiceCommand command = ParseServiceCommand(args);
  switch (command) {
    case ServiceCommand::kInstall:
    case ServiceCommand::kRemove: {
      host::ServiceManager manager(host::ServiceManagerOptions::FromEnvironment());
      host::SettingsStore hive(host::Hive::kDefaultUser);
      const InstallContext context = MakeInstallContext(&manager, &hive);
      // A package script or a provisioning task sees the failure in the exit status.
      const bool done =
          command == ServiceCommand::kInstall ? InstallService(context) : RemoveService(context);
      return done ? 0 : 1;
    }
    case ServiceCommand::kRun:
      return ConsoleRun(args, make_engine);
    case ServiceCommand::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case ServiceCommand::kVersion:
      std::fputs(VersionLine(kProgramFileName).c_str(), stdout);
      return 0;
    case ServiceCommand::kUnknown:
      std::fprintf(stderr, "%s: unknown option \"%s\"\n", std::string(kProgramFileName).c_str(),
                   args[1].c_str());
      break;
    case ServiceCommand::kDispatch:
      break;
  }
  std::fputs(UsageText().c_str(), stdout);
  std::fflush(stdout);
  int status = 0;
  if (!host::StartServiceDispatcher([&] { status = ServiceBody(make_engine); })) {
    host::EventLog events(kName, false);
    errno = ENOTCONN;  // no service manager to connect to
    events.Report("failed to start");
  }
  return status;
}

}  // namespace corvane::service
