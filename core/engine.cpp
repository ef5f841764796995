#include "core/engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>
#include <utility>

#include "core/catalogue.h"
#include "core/collector.h"
#include "core/collector_control.h"
#include "core/counter_item.h"

namespace corvane {
namespace {

ScreenSize ScreenOf(const EngineHost& host) {
  return host.screen != nullptr ? host.screen->PrimaryScreenSize() : kNoScreenSize;
}

// The log's "Cannot write to file: " message reaches the user only from an interactive
// engine whose host shows messages.
ActivityLog::MessageSink LogMessageSink(bool interactive, MessageSink* sink) {
  if (!interactive || sink == nullptr) return {};
  return [sink](const std::string& text) {
    EngineMessage message;
    message.string_id = string_id::kCannotWriteFile;
    message.text = text;
    sink->ShowMessage(message);
  };
}

int PenWidth(std::int32_t bold) { return bold != 0 ? 2 : 1; }

}  // namespace

Corvane::Corvane(perf::Provider& provider, bool interactive, EngineHost host, LocalClock log_clock)
    : WindRose(kAxisCapacity, kSeriesCapacity),
      provider_(provider),
      interactive_(interactive),
      host_(host),
      settings_(DefaultSettings(ScreenOf(host))),
      log_(std::move(log_clock), LogMessageSink(interactive, host.messages)),
      alert_sink_(host.alerts) {
  log_.SetStatusSink(host.log_status);
  log_axes_.reserve(kAxisCapacity);
  alert_events_.reserve(kAxisCapacity);
  LocalizeStandardPaths(provider_);
}

Corvane::~Corvane() {
  // The collector uses this engine to its very end: stop it even while it is starting, and
  // wait for it however long its current provider call takes.
  CollectorControl::Instance().ForceStop(this);
  std::thread thread = TakeThread();
  if (thread.joinable()) thread.join();
  // The base destructor cannot reach FreeItem, so the counter paths are freed here.
  RemoveAllAxes();
  chart::ChartLock lock(*this);
  log_.Close();
}

ScreenSize Corvane::GetScreenSize() const { return ScreenOf(host_); }

// ---- Profile set-up and settings. ----

void Corvane::SetUpNewProfile() {
  chart::ChartLock lock(*this);
  SetFont(chart::FontSpec{"MS Sans Serif", 12});
  SetTextColors(0xFFFFFF, 0x000000);
  SetAxisPen(chart::PenStyle::kSolid, 1, 0x808080);
  SetGridPen(chart::PenStyle::kSolid, 1, 0x808080);
  SetCriticalPen(chart::PenStyle::kSolid, 1, 0x0000FF);
  RemoveAllSeries();
  AddSeries("Max Values", "");
  AddSeries("Historical Values", "");
  AddSeries("Current Values", "");
  AddStandardCounters(true, SC_DEFAULT, *this);
  ApplySettingsToChart();
  SetModified(false);
}

void Corvane::ResetToDefaults() {
  chart::ChartLock lock(*this);
  settings_ = DefaultSettings(GetScreenSize());
  remote_server_.clear();  // a profile without the key scrapes its machines directly
  ResetDiagramSettings();
  ApplySettingsToChart();
}

void Corvane::ApplySettingsToChart() {
  chart::ChartLock lock(*this);
  const CorvaneSettings s = settings_;
  SetSeriesTextColors(kMaxSeries, s.MaxColor, chart::kNoColour);
  SetSeriesTextColors(kAverageSeries, s.AvgColor, chart::kNoColour);
  SetSeriesTextColors(kCurrentSeries, s.CurColor, chart::kNoColour);
  SetSeriesVisible(kMaxSeries, s.ShowMax != 0);
  SetSeriesVisible(kAverageSeries, s.ShowAverage != 0);
  SetSeriesVisible(kCurrentSeries, s.ShowCurrent != 0);
  SetAxisPen(chart::PenStyle::kSolid, 1, s.LineColor);
  SetGridPen(chart::PenStyle::kSolid, 1, s.LineColor);
  SetCriticalPen(chart::PenStyle::kSolid, PenWidth(s.BoldCrit), s.CritColor);
  SetTextColors(s.TextColor, s.BackColor);
  SetSeriesPen(kMaxSeries, chart::PenStyle::kSolid, PenWidth(s.BoldMax), s.MaxColor);
  SetSeriesPen(kAverageSeries, chart::PenStyle::kSolid, PenWidth(s.BoldAvg), s.AvgColor);
  SetSeriesPen(kCurrentSeries, chart::PenStyle::kSolid, PenWidth(s.BoldCur), s.CurColor);
}

CorvaneSettings Corvane::GetSettings() const {
  chart::ChartLock lock(*this);
  return settings_;
}

void Corvane::SetSettings(const CorvaneSettings& settings) {
  bool interval_changed = false;
  {
    chart::ChartLock lock(*this);
    CorvaneSettings next = settings;
    // The ring holds 120 samples and the collector's period is bounded: a value out of range
    // would index past the ring or stall the collector, so it is not taken over.
    if (!IntervalInRange(next.Interval)) next.Interval = settings_.Interval;
    if (!HistoryInRange(next.History)) next.History = settings_.History;
    if (!AlertSamplesInRange(next.AlertAfter)) next.AlertAfter = settings_.AlertAfter;
    if (!AlertSamplesInRange(next.AlertClear)) next.AlertClear = settings_.AlertClear;

    if (next.Interval != settings_.Interval) {
      SetModified(true);
      interval_changed = true;
    }
    if (next.History != settings_.History) {
      SetModified(true);
      statistics_.RestartAveraging();
    }
    if (next.LogFileSize != settings_.LogFileSize) SetModified(true);
    if (next.AlertAfter != settings_.AlertAfter || next.AlertClear != settings_.AlertClear) {
      SetModified(true);
    }
    const bool log_changed =
        next.LogMode != settings_.LogMode || next.LogFormat != settings_.LogFormat;
    settings_ = next;
    if (log_changed) {
      SetModified(true);
      OpenLog(false);
      WriteLogBanner();
    }
  }
  // A running collector reads the interval on every pass; wake it so a shorter one applies now.
  if (interval_changed) CollectorControl::Instance().Wake();
}

int Corvane::GetInterval() const {
  chart::ChartLock lock(*this);
  return settings_.Interval;
}

EngineWindow* Corvane::GetWindow() const {
  chart::ChartLock lock(*this);
  return window_;
}

// ---- Collector control. ----

std::thread Corvane::TakeThread() {
  chart::ChartLock lock(*this);
  return std::move(collector_);
}

bool Corvane::Start(EngineWindow* window, bool repaint_at_start) {
  CollectorControl& control = CollectorControl::Instance();
  if (!control.BeginStart(this, repaint_at_start)) return false;
  // A collector that ended after Stop gave up on it still has its handle here.
  if (std::thread finished = TakeThread(); finished.joinable()) finished.join();
  {
    chart::ChartLock lock(*this);
    window_ = window;
  }
  try {
    std::thread thread([this, &control] { RunCollector(control, *this); });
    chart::ChartLock lock(*this);
    collector_ = std::move(thread);
  } catch (const std::system_error&) {
    // Nothing runs: leave the control idle so that a later Start may try again.
    control.AbandonStart();
    return false;
  }
  return true;
}

bool Corvane::Stop() {
  CollectorControl& control = CollectorControl::Instance();
  switch (control.RequestStop(this)) {
    case CollectorControl::StopRequest::kRefused:
      return false;
    case CollectorControl::StopRequest::kRequested:
      if (!control.WaitUntilStopped(this, stop_limit_)) return false;
      break;
    case CollectorControl::StopRequest::kNotRunning:
      break;
  }
  // The thread has left the control; what remains of it is its return.
  if (std::thread thread = TakeThread(); thread.joinable()) thread.join();
  return true;
}

bool Corvane::PollStop() {
  CollectorControl& control = CollectorControl::Instance();
  if (control.RequestStop(this) != CollectorControl::StopRequest::kNotRunning &&
      !control.WaitUntilStopped(this, std::chrono::milliseconds(0)))
    return false;
  // The thread has left the control; what remains of it is its return.
  if (std::thread thread = TakeThread(); thread.joinable()) thread.join();
  return true;
}

void Corvane::RequestResample() { CollectorControl::Instance().RequestResample(); }

void Corvane::SetStopLimit(std::chrono::milliseconds limit) { stop_limit_ = limit; }

void Corvane::SetCollectorClock(TickSource tick) { tick_ = std::move(tick); }

std::uint32_t Corvane::CollectorTick() const { return tick_ ? tick_() : TickMs(); }

void Corvane::ClearWindow() {
  chart::ChartLock lock(*this);
  window_ = nullptr;
}

void Corvane::InvalidateWindow(bool erase) const {
  chart::ChartLock lock(*this);
  if (window_ != nullptr) window_->Invalidate(erase);
}

void Corvane::ShowMessage(const EngineMessage& message) const {
  if (interactive_ && host_.messages != nullptr) host_.messages->ShowMessage(message);
}

// ---- Status text. ----

void Corvane::SetStatusText(std::string text) {
  chart::ChartLock lock(*this);
  status_text_ = std::move(text);
}

std::string Corvane::GetStatusText() const {
  chart::ChartLock lock(*this);
  return status_text_;
}

void Corvane::ResetMax() {
  chart::ChartLock lock(*this);
  const int n = std::min(GetAxisCount(), statistics_.CounterCount());
  for (int i = 0; i < n; ++i) {
    chart::ValueState state = chart::ValueState::kNormal;
    GetValueState(i, &state, kMaxSeries);
    SetSeriesValue(i, statistics_.Current(i), kMaxSeries);
    SetValueState(i, state, kMaxSeries);
  }
  statistics_.ResetMaxima();
}

// ---- Statistics. ----

int Corvane::PrepareStatistics() {
  chart::ChartLock lock(*this);
  const int n = GetAxisCount();
  statistics_.Prepare(n);
  alerts_.Prepare(n);
  timing_.Reset();
  log_.ResetCounters(static_cast<std::size_t>(n));
  WriteLogBanner();
  return n;
}

bool Corvane::SetValue(int i, double x) {
  chart::ChartLock lock(*this);
  if (!statistics_.Has(i) || i >= GetAxisCount()) return false;
  if (!std::isfinite(x)) {
    // The chart cannot place a value that is no number; the counter has no reading this time.
    SetUnavailable(i);
    return false;
  }
  const EngineStatistics::Stored stored = statistics_.Store(i, x, settings_.History);
  // The three series are written under the same hold of the lock, so a drawing never shows a
  // maximum from this sample beside a current value from the last.
  SetSeriesValue(i, stored.maximum, kMaxSeries);
  SetSeriesValue(i, stored.average, kAverageSeries);
  SetSeriesValue(i, x, kCurrentSeries);
  return true;
}

int Corvane::SeedHistory(const std::vector<std::vector<double>>& values,
                         const std::vector<bool>& counted) {
  chart::ChartLock lock(*this);
  const int taken = statistics_.Seed(values, counted, settings_.History);
  if (taken == 0) return 0;
  for (int i = 0; i < statistics_.CounterCount() && i < GetAxisCount(); ++i) {
    SetSeriesValue(i, statistics_.Maximum(i), kMaxSeries);
    SetSeriesValue(i, statistics_.Average(i, taken), kAverageSeries);
    SetSeriesValue(i, 0.0, kCurrentSeries);
    SetValueState(i, chart::ValueState::kNotAvailable, kCurrentSeries);
  }
  return taken;
}

void Corvane::SetRemoteServer(std::string url) {
  chart::ChartLock lock(*this);
  if (url != remote_server_) SetModified(true);
  remote_server_ = std::move(url);
}

std::string Corvane::GetRemoteServer() const {
  chart::ChartLock lock(*this);
  return remote_server_;
}

bool Corvane::SetUnavailable(int i) {
  chart::ChartLock lock(*this);
  if (!statistics_.Has(i) || i >= GetAxisCount()) return false;
  statistics_.MarkUnavailable(i);
  for (const int series : {kMaxSeries, kAverageSeries, kCurrentSeries}) {
    SetSeriesValue(i, 0.0, series);
    SetValueState(i, chart::ValueState::kNotAvailable, series);
  }
  return true;
}

void Corvane::EndSample() {
  chart::ChartLock lock(*this);
  statistics_.Advance(settings_.History);
  StepAlerts();
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  timing_.NoteSampleEnd(std::chrono::duration<double>(now).count());
  if (settings_.LogMode == log_mode::kOff) return;
  const std::size_t n = static_cast<std::size_t>(statistics_.CounterCount());
  const std::span<const LogAxis> axes = RefreshLogAxes(n);
  log_.WriteRow(CurrentLogSettings(), axes, statistics_.Currents().first(axes.size()));
}

void Corvane::ReleaseStatistics() {
  chart::ChartLock lock(*this);
  // Counters still in alert end with the collecting, so no host keeps showing them.
  alert_events_.clear();
  const int counted = std::min(alerts_.CounterCount(), GetAxisCount());
  for (int i = 0; i < counted; ++i) {
    if (!alerts_.InAlert(i)) continue;
    AlertEvent event = MakeAlertEvent(i, false);
    event.stopped = true;
    alert_events_.push_back(event);
  }
  alerts_.Release();
  if (!alert_events_.empty() && alert_sink_ != nullptr)
    alert_sink_->AlertsChanged(alert_events_, 0);
  alert_events_.clear();
  for (int i = 0; i < GetAxisCount(); ++i) {
    for (const int series : {kMaxSeries, kAverageSeries, kCurrentSeries}) {
      SetSeriesValue(i, 0.0, series);
      SetValueState(i, chart::ValueState::kNotAvailable, series);
    }
  }
  statistics_.Release();
}

int Corvane::GetSampleCount() const {
  chart::ChartLock lock(*this);
  return statistics_.SampleCount();
}

// ---- Alerts. ----

AlertEvent Corvane::MakeAlertEvent(int axis, bool entered) const {
  AlertEvent event;
  event.axis = axis;
  event.entered = entered;
  chart::ValueState state = chart::ValueState::kNotAvailable;
  GetValueState(axis, &state, kCurrentSeries);
  event.available = state != chart::ValueState::kNotAvailable;
  GetSeriesValue(axis, &event.value, kCurrentSeries);
  GetAxisCritical(axis, &event.critical);
  chart::Text name;
  if (GetAxisName(axis, &name) && name) event.name = *name;
  chart::AxisItem* item = nullptr;
  if (GetAxisItem(axis, &item)) {
    if (const std::string* path = CounterPathOf(item)) event.counter_path = *path;
  }
  return event;
}

void Corvane::StepAlerts() {
  const AlertRule rule{settings_.AlertAfter, settings_.AlertClear};
  alert_events_.clear();
  const int n = std::min(alerts_.CounterCount(), GetAxisCount());
  for (int i = 0; i < n; ++i) {
    chart::ValueState state = chart::ValueState::kNotAvailable;
    GetValueState(i, &state, kCurrentSeries);
    const AlertChange change = alerts_.Step(i, state, rule);
    if (change != AlertChange::kNone) {
      alert_events_.push_back(MakeAlertEvent(i, change == AlertChange::kEntered));
    }
  }
  if (!alert_events_.empty() && alert_sink_ != nullptr) {
    alert_sink_->AlertsChanged(alert_events_, alerts_.AlertCount());
  }
}

bool Corvane::IsInAlert(int i) const {
  chart::ChartLock lock(*this);
  return alerts_.InAlert(i);
}

int Corvane::GetAlertCount() const {
  chart::ChartLock lock(*this);
  return alerts_.AlertCount();
}

void Corvane::SetAlertSink(AlertSink* sink) {
  chart::ChartLock lock(*this);
  alert_sink_ = sink;
}

void Corvane::NoteSampleCost(double cpu_seconds) {
  chart::ChartLock lock(*this);
  timing_.NoteCost(cpu_seconds);
}

SampleTiming Corvane::GetSampleTiming() const {
  chart::ChartLock lock(*this);
  return timing_;
}

std::string Corvane::GetCounterPath(int axis) const {
  chart::ChartLock lock(*this);
  chart::AxisItem* item = nullptr;
  if (!GetAxisItem(axis, &item)) return {};
  const std::string* path = CounterPathOf(item);
  return path != nullptr ? *path : std::string();
}

}  // namespace corvane
