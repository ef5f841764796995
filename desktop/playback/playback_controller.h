// Plays a recording on a wind rose: owns the open Recording and the thread that indexes it in
// pieces, the moment shown, the playing state and speed. Every moment it shows goes onto the
// chart (the engine, a WindRose) through ShowMoment, and the caption naming it is emitted.
//
// Threads: the GUI thread calls and receives everything. The indexing thread touches only the
// recording, under the controller's mutex, and reports progress through queued signals.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "chart/wind_rose.h"
#include "core/recording/recording.h"

namespace corvane::playback {

class PlaybackController : public QObject {
  Q_OBJECT

 public:
  // Milliseconds of a monotonic clock; tests pass one they move themselves.
  using Clock = std::function<std::int64_t()>;

  explicit PlaybackController(chart::WindRose& chart, QObject* parent = nullptr, Clock clock = {});
  ~PlaybackController() override;

  // Called by Open once the log is open and before its first moment is shown, with the
  // recording's settings: where the chart gets the recording's axes.
  using ChartPreparer = std::function<void(const recording::RecordingSettings& settings)>;
  void SetChartPreparer(ChartPreparer prepare) { prepare_ = std::move(prepare); }

  // Opens the log (and its backup), shows its first moment and starts indexing the rest.
  // False with the reason; the chart is then left alone.
  bool Open(const QString& path, std::optional<recording::RecordingSettings> settings,
            QString* error);
  // Stops playing and indexing and drops the recording; emits closed().
  void Close();
  bool IsOpen() const { return recording_ != nullptr; }

  // Local seconds (core/recording/local_seconds.h) of the recording's first and last rows
  // known so far; the end grows while the index is built.
  std::int64_t StartTime() const { return start_; }
  std::int64_t EndTime() const { return end_; }
  std::int64_t CurrentTime() const { return current_; }
  bool IsIndexed() const { return indexed_; }
  QString Damage() const;

  // Shows the moment at `time` (clamped to the recording).
  void ShowTime(std::int64_t time);
  // One sample on or back: the next or previous row where every sample was logged, else the
  // sampling interval.
  void StepSamples(int samples);
  void StepSeconds(std::int64_t seconds) { ShowTime(current_ + seconds); }

  // Playing moves the moment on by `speed` recorded seconds per second of the clock.
  void Play();
  void Pause();
  bool IsPlaying() const { return playing_; }
  void SetSpeed(int speed);
  // The playing timer's step; also called by tests that move the clock themselves.
  void Tick();

 Q_SIGNALS:
  // The chart shows a new moment; `caption` names it ("Recorded 2026-12-09 00:28:09", and
  // the note of a log of state changes).
  void momentShown(const QString& caption);
  void rangeChanged(qint64 start, qint64 end);
  void playingChanged(bool playing);
  // A row could not be read back, or the log is damaged at its end: the text says where.
  void problem(const QString& text);
  void closed();

 private:
  // The moment's caption in the user's language; the sentences are the recording's own.
  static QString Caption(const recording::Moment& moment);
  void StopIndexing();
  void OnIndexProgress();

  chart::WindRose& chart_;
  Clock clock_;
  ChartPreparer prepare_;
  QTimer timer_;
  mutable std::mutex mutex_;  // guards recording_ against the indexing thread
  std::unique_ptr<recording::Recording> recording_;
  std::thread indexer_;
  std::atomic<bool> stop_indexing_{false};
  bool indexed_ = false;
  bool damage_reported_ = false;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
  std::int64_t current_ = 0;
  bool playing_ = false;
  int speed_ = 1;
  std::int64_t play_clock_ = 0;  // clock when playing began or the speed changed
  std::int64_t play_time_ = 0;   // moment shown then
};

}  // namespace corvane::playback
