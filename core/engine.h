// Corvane: the monitoring engine. A WindRose whose axes are the monitored counters (each axis
// carries its counter path as a CounterItem) and whose series 0, 1 and 2 show the maximal,
// average and current value of every counter. On top of the chart it owns the 29 settings, the
// per-counter statistics and alert states, the status text, the activity log and the handle of the
// collector thread it started.
//
// Threads: any thread. The engine has no lock of its own: every operation takes the chart's
// re-entrant lock for its own duration. Start, Stop and RequestResample use the process-wide
// CollectorControl's lock and never hold both locks at once; the collector thread takes the
// control lock and then the chart lock, never the other order.
//
// Lifetime: the provider, and the host's message sink and screen, must outlive the engine; a
// window given to Start must outlive the collector (or be dropped with ClearWindow first). The
// destructor stops the collector this engine started and waits for its thread to end however
// long that takes (providers bound their calls), so the thread never outlives the engine.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "chart/wind_rose.h"
#include "core/activity_log.h"
#include "core/alert_rule.h"
#include "core/corvane_settings.h"
#include "core/engine_host.h"
#include "core/engine_statistics.h"
#include "core/log_time.h"
#include "core/log_types.h"
#include "core/perf_data.h"
#include "core/sample_timing.h"

namespace corvane {

namespace chart {
class DrawingSurface;
}

class Corvane : public chart::WindRose {
 public:
  static constexpr int kAxisCapacity = 32;
  static constexpr int kSeriesCapacity = 4;
  // The engine's series, in drawing order.
  static constexpr int kMaxSeries = 0;      // "Max Values"
  static constexpr int kAverageSeries = 1;  // "Historical Values"
  static constexpr int kCurrentSeries = 2;  // "Current Values"

  // Builds the chart (32 axes, 4 series), rebuilds the catalogue's standard paths from the
  // provider's names and sets the settings to their defaults. `log_clock` gives the activity
  // log its time (tests pass a fixed one).
  Corvane(perf::Provider& provider, bool interactive, EngineHost host = {},
          LocalClock log_clock = SystemLocalTime);
  ~Corvane() override;

  // ---- Profile hooks (called by Save and Load under the chart lock). ----

  // "Counter=<path>" for an axis that carries a counter path.
  bool WriteItem(chart::ProfileWriter& file, const chart::AxisItem& item) const override;
  // The 29 settings as integer lines, in the profile's order.
  bool WriteSettings(chart::ProfileWriter& file) const override;
  // An empty line, "# CORVANE CONFIGURATION FILE. DO NOT MODIFY!", an empty line.
  bool WriteHeader(chart::ProfileWriter& file) const override;
  // Key "Counter" becomes a new CounterItem with the value (empty without one); else nullptr.
  chart::AxisItem* ReadItem(std::string_view key, std::string_view value) override;
  // Stores one of the 29 settings by key. A History outside 2..120, an Interval outside 1..120
  // or an AlertAfter or AlertClear outside 1..120 is ignored, as is a key with no value or an
  // unknown key (so profiles of later builds load).
  void ReadSetting(std::string_view key, std::string_view value) override;
  // Deletes a CounterItem.
  void FreeItem(chart::AxisItem* item) override;

  // The chart's load, then: an unsound window rectangle returns to the default one; after a
  // successful load the log is placed beside the profile (no banner); the modified flag is
  // cleared either way. Returns the chart's result. The file is read before the lock is taken;
  // the lock is held from the parse to the end.
  bool Load(const std::filesystem::path& path) override;

  // ---- Profile set-up and settings. ----

  // Font, pens, text colours, the three series, the catalogue's default counters, the settings
  // applied to the chart, modified cleared. Every host calls it before it loads a profile.
  void SetUpNewProfile();
  // Settings to defaults, the chart's display settings to defaults, applied to the chart.
  // Also forgets the profile's Prometheus server.
  void ResetToDefaults();
  // Series colours, visibility and pens, axis, grid and critical pens and the text colours from
  // the settings.
  void ApplySettingsToChart();

  CorvaneSettings GetSettings() const;
  // Takes the whole record. A changed Interval, History or LogFileSize sets the modified flag;
  // a changed History restarts the averaging; a changed LogMode or LogFormat sets the modified
  // flag and reopens the log with a banner; a changed AlertAfter or AlertClear sets the
  // modified flag. An Interval outside 1..120, a History outside 2..120 or an alert number
  // outside 1..120 is not taken over (the previous value stays).
  void SetSettings(const CorvaneSettings& settings);
  int GetInterval() const;  // seconds
  EngineWindow* GetWindow() const;
  bool IsInteractive() const { return interactive_; }
  perf::Provider& GetProvider() const { return provider_; }
  // The profile's Prometheus server ("PrometheusServer"): remote machines are read through it;
  // empty (the default) scrapes each machine directly. Takes effect at the next Start.
  void SetRemoteServer(std::string url);
  std::string GetRemoteServer() const;
  // The host's primary screen, or kNoScreenSize when the host has none.
  ScreenSize GetScreenSize() const;

  // ---- Collector control. ----

  // Starts the process's collector for this engine. False when one already runs in the
  // process (nothing is started) or when the thread cannot be created (nothing runs then).
  // `window` may be null (the service); it is invalidated after every sample.
  bool Start(EngineWindow* window, bool repaint_at_start);
  // True at once when this engine's collector does not run; false at once when a stop is
  // already requested or the collector is still starting. Otherwise asks it to stop and waits
  // up to 5000 ms (see SetStopLimit): true when it ended, false when it did not (it runs on; the
  // destructor, a later Start or Stop still reclaim the thread once it ends).
  bool Stop();
  // Stop without waiting, for a caller that must keep its thread running: true when this
  // engine's collector does not run (its thread reclaimed); otherwise asks it to stop where it
  // may be asked (not while it is starting) and is false. Called again until it is true or
  // the caller's own limit (GetStopLimit) has passed.
  bool PollStop();
  // The collector takes a sample at once (within one pass) and restarts its interval there.
  void RequestResample();
  // The collector stops invalidating the window; afterwards the window may be destroyed.
  void ClearWindow();

  // The collector's timing, for tests that must not wait for real seconds. Set before Start.
  // The longest Stop waits (5000 ms unless set):
  void SetStopLimit(std::chrono::milliseconds limit);
  std::chrono::milliseconds GetStopLimit() const { return stop_limit_; }
  // The millisecond tick the collector's schedule reads (TickMs unless set; empty: TickMs).
  // Called on the collector thread. The collector still sleeps up to the time it computes,
  // so a test that moves its clock on wakes it (CollectorControl::Wake).
  using TickSource = std::function<std::uint32_t()>;
  void SetCollectorClock(TickSource tick);
  // The collector thread's reading of that tick.
  std::uint32_t CollectorTick() const;

  // ---- Status text and drawing. ----

  // While not empty it is drawn in place of the chart.
  void SetStatusText(std::string text);
  std::string GetStatusText() const;
  // The status text, word-wrapped and centred, or the chart. The body lives in
  // core/engine_draw.cpp. Window's thread; holds the lock while it draws.
  bool Draw(chart::DrawingSurface& surface, const chart::Rect& rect);

  // Every maximum shown becomes the current value (state kept), and the maxima restart at 0.
  void ResetMax();

  // ---- Statistics (the collector's; the chart lock is taken for each). ----

  // Sizes the statistics for the axes present now (all 0), resets the log's counters and
  // writes a start banner. Returns the number of counters prepared.
  int PrepareStatistics();
  // Stores reading x of counter i and shows maximum, average and current value in series 0, 1
  // and 2 (the chart scales them and flags critical ones). False when i has no statistics or
  // the reading is not a finite number (the counter is then shown as unavailable).
  bool SetValue(int i, double x);
  // Counter i shows as not available in all three series; its current value becomes the
  // not-available mark. Ring and maximum keep their content.
  bool SetUnavailable(int i);
  // Before the first sample: the averages and maxima of past readings (EngineStatistics::
  // Seed), drawn at once; the current values stay not available. Returns the samples taken.
  int SeedHistory(const std::vector<std::vector<double>>& values, const std::vector<bool>& counted);
  // Ends a sample: the ring moves on, the sample count grows, the log gets its row.
  void EndSample();
  // Every axis shows as not available; the statistics are freed.
  void ReleaseStatistics();
  // Samples ended since the statistics were prepared or the averaging restarted.
  int GetSampleCount() const;
  // The collector thread's CPU time for the sample it just ended (collecting, storing, the log
  // row), counted into the cost histogram.
  void NoteSampleCost(double cpu_seconds);
  // Samples ended, the time of the last and the cost histogram, since the statistics were
  // prepared (the averaging's restarts leave them alone).
  SampleTiming GetSampleTiming() const;

  // ---- Alerts (stepped by EndSample; the chart lock is taken for each). ----

  // Whether counter i is in the alert state; false while not collecting.
  bool IsInAlert(int i) const;
  // How many counters are in the alert state.
  int GetAlertCount() const;
  // Replaces the host's alert sink (EngineHost::alerts); nullptr: no one hears.
  void SetAlertSink(AlertSink* sink);

  // ---- Activity log (under the chart lock). ----

  // Places the log beside the profile ("Logs" folder, profile title) and opens it; with
  // `banner` a start banner follows.
  void SetLogLocation(const std::filesystem::path& profile_path, bool banner);
  // Closes and reopens the log; `force_backup` moves the old one to the backup first.
  bool OpenLog(bool force_backup);
  bool WriteLogBanner();
  // The old log becomes the backup and a fresh log begins with a banner.
  bool CleanLog();
  std::string GetLogPath() const;
  // What the log's last failure was (file, step, system reason); empty when none.
  std::string GetLogError() const;
  // Replaces the host's log status sink (EngineHost::log_status); nullptr: no one hears.
  void SetLogStatusSink(LogStatusSink* sink);

  // ---- For the collector thread. ----

  // The counter path of an axis; empty when it has none.
  std::string GetCounterPath(int axis) const;
  // Asks the window, if there is one, to repaint.
  void InvalidateWindow(bool erase) const;
  // Shows a message through the host when the engine is interactive; does nothing otherwise.
  void ShowMessage(const EngineMessage& message) const;

 private:
  LogSettings CurrentLogSettings() const;
  // The log's view of the axes, refreshed from the chart (no allocation once sized).
  std::span<const LogAxis> RefreshLogAxes(std::size_t count);
  // Steps every counter's alert state from its current value's state and tells the sink.
  void StepAlerts();
  AlertEvent MakeAlertEvent(int axis, bool entered) const;
  // Takes this engine's finished or abandoned thread handle, for joining outside the lock.
  std::thread TakeThread();

  perf::Provider& provider_;
  const bool interactive_;
  const EngineHost host_;

  // Everything below is guarded by the chart's lock.
  EngineWindow* window_ = nullptr;
  CorvaneSettings settings_;
  std::string status_text_;
  std::string remote_server_;  // the profile's PrometheusServer
  EngineStatistics statistics_;
  SampleTiming timing_;
  ActivityLog log_;
  std::vector<LogAxis> log_axes_;  // one per axis, rebuilt from the chart for every log call
  AlertStates alerts_;
  AlertSink* alert_sink_ = nullptr;
  std::vector<AlertEvent> alert_events_;  // one sample's changes; room for every axis
  std::thread collector_;                 // the thread Start created, until it is joined

  // Set before Start, read by Stop and the collector thread (Start orders the two).
  std::chrono::milliseconds stop_limit_{5000};
  TickSource tick_;
};

}  // namespace corvane
