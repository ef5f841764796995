#include "core/collector.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "core/collector_control.h"
#include "core/collector_session.h"
#include "core/counter_path.h"
#include "core/engine.h"
#include "core/engine_host.h"
#include "core/sample_schedule.h"
#include "core/sample_timing.h"

namespace corvane {
namespace {

// Opens the query and adds every axis's counter, connecting once to each machine the paths
// name. False when the collector must go straight to its shutdown (a stop request, or an
// interactive engine without a query).
bool Connect(CollectorControl& control, Corvane& engine, CollectorSession& session) {
  const bool has_window = engine.GetWindow() != nullptr;
  if (control.RepaintAtStart() && has_window) engine.InvalidateWindow(true);
  // Without a window nobody sees a status text.
  const std::string_view format = has_window ? kConnectingFormat : std::string_view{};

  if (session.OpenQuery() != perf::kOk && engine.IsInteractive()) {
    engine.ShowMessage(EngineMessage{0, std::string(kCannotCreateQueryText)});
    return false;
  }

  // The distinct machine parts (compared exactly), connected all at once: machines that do
  // not answer cost one time-out together rather than one each.
  std::vector<std::string> tried;
  for (int i = 0; i < session.CounterCount(); ++i) {
    const std::string path = engine.GetCounterPath(i);
    const std::string_view machine = MachinePart(path);
    if (!machine.empty() && std::find(tried.begin(), tried.end(), machine) == tried.end())
      tried.emplace_back(machine);
  }
  // The profile says whether its remote machines are read through a Prometheus server.
  engine.GetProvider().SetRemoteServer(engine.GetRemoteServer());
  std::vector<perf::Status> statuses(tried.size(), perf::kOk);
  if (!tried.empty()) {
    if (!format.empty()) {
      std::string names;
      for (const std::string& machine : tried) names += (names.empty() ? "" : ", ") + machine;
      engine.SetStatusText(FormatConnecting(format, names));
      engine.InvalidateWindow(true);
    }
    engine.GetProvider().ConnectMachines(tried, statuses);
    if (control.StopRequested()) {
      // The notice would otherwise stay on a stopped engine's window.
      if (!format.empty()) engine.SetStatusText({});
      return false;
    }
  }

  std::vector<std::string> unreachable;  // in the order the paths name them
  std::vector<bool> named(tried.size(), false);
  for (int i = 0; i < session.CounterCount(); ++i) {
    std::string path = engine.GetCounterPath(i);
    const std::string_view machine = MachinePart(path);
    if (!machine.empty()) {
      const std::size_t at =
          static_cast<std::size_t>(std::find(tried.begin(), tried.end(), machine) - tried.begin());
      if (!named[at] && statuses[at] != perf::kOk) {
        unreachable.push_back(tried[at]);
        path.clear();  // this axis gets no counter; later ones on the machine are still added
      }
      named[at] = true;
    }
    session.AddCounter(i, path);
  }
  if (!tried.empty() && !control.StopRequested()) {
    session.FillHistory(engine);
    engine.InvalidateWindow(true);
  }

  if (!unreachable.empty() && engine.IsInteractive()) {
    EngineMessage message;
    message.string_id = string_id::kConnectionFailed;
    message.text = std::string(kConnectionFailedText);
    for (std::size_t i = 0; i < unreachable.size(); ++i) {
      if (i > 0) message.text += '\n';
      message.text += unreachable[i];
    }
    message.icon = MessageIcon::kError;
    message.system_modal = true;
    message.help_context = kConnectionHelpContext;
    engine.ShowMessage(message);
  }
  engine.SetStatusText({});
  return true;
}

void Sample(CollectorControl& control, Corvane& engine, CollectorSession& session) {
  CollectorControl::PassFlags flags = control.TakePassFlags();
  SampleSchedule schedule;
  double cost = 0.0;  // CPU seconds this thread has spent on the sample being taken so far
  while (!flags.stop) {
    const std::uint32_t now = engine.CollectorTick();
    const int interval = engine.GetInterval();
    const SampleSchedule::Pass pass = schedule.BeginPass(now, interval, flags.resample);
    const double cpu_before = pass.collect || pass.read ? ThreadCpuSeconds() : 0.0;
    if (pass.collect) session.Collect(CollectTimeLimit(interval));
    if (pass.read) {
      session.StoreSample(engine);
      engine.NoteSampleCost(cost + (ThreadCpuSeconds() - cpu_before));
      cost = 0.0;
      engine.InvalidateWindow(true);
    } else if (pass.collect) {
      cost += ThreadCpuSeconds() - cpu_before;
    }
    const std::uint32_t wait = schedule.MillisecondsToNextPass(engine.CollectorTick(), interval);
    if (wait > 0) control.WaitForWork(std::chrono::milliseconds(wait));
    flags = control.TakePassFlags();
  }
}

}  // namespace

std::chrono::milliseconds CollectTimeLimit(int interval_s) {
  // Three quarters of the interval leave the rest for the local counters, the log row and the
  // next pass, so a sample is written every interval however slow a machine is.
  const int clamped = std::clamp(interval_s, kMinInterval, kMaxInterval);
  return std::chrono::milliseconds(clamped * 750);
}

std::string FormatConnecting(std::string_view format, std::string_view machine) {
  std::string text(format);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, machine);
  return text;
}

std::uint32_t TickMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void RunCollector(CollectorControl& control, Corvane& engine) {
  int counters = 0;
  const bool collecting = control.EnterCollecting([&] { counters = engine.PrepareStatistics(); });

  CollectorSession session(engine.GetProvider());
  session.Prepare(counters);
  if (collecting && Connect(control, engine, session)) Sample(control, engine, session);

  engine.ReleaseStatistics();
  session.Close();
  control.Finish();
}

}  // namespace corvane
