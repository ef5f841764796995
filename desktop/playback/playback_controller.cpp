#include "desktop/playback/playback_controller.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

#include "core/recording/local_seconds.h"
#include "core/recording/moment_chart.h"

namespace corvane::playback {
namespace {

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

PlaybackController::PlaybackController(chart::WindRose& chart, QObject* parent, Clock clock)
    : QObject(parent), chart_(chart), clock_(clock ? std::move(clock) : SteadyMilliseconds) {
  timer_.setInterval(50);
  connect(&timer_, &QTimer::timeout, this, &PlaybackController::Tick);
}

PlaybackController::~PlaybackController() { StopIndexing(); }

bool PlaybackController::Open(const QString& path,
                              std::optional<recording::RecordingSettings> settings,
                              QString* error) {
  Close();
  std::string reason;
  std::unique_ptr<recording::Recording> opened =
      recording::Recording::Open(path.toStdString(), std::move(settings), &reason);
  if (!opened) {
    *error = QString::fromStdString(reason);
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    recording_ = std::move(opened);
    start_ = recording_->StartTime();
    end_ = recording_->EndTime();
    indexed_ = recording_->indexed();
  }
  if (prepare_) prepare_(recording_->settings());
  damage_reported_ = false;
  current_ = start_;
  ShowTime(start_);
  Q_EMIT rangeChanged(start_, end_);
  stop_indexing_ = false;
  indexer_ = std::thread([this] {
    while (!stop_indexing_) {
      bool done = false;
      {
        std::lock_guard lock(mutex_);
        done = recording_->IndexSome(1 << 20);
      }
      QMetaObject::invokeMethod(this, &PlaybackController::OnIndexProgress, Qt::QueuedConnection);
      if (done) break;
    }
  });
  return true;
}

void PlaybackController::OnIndexProgress() {
  if (!recording_) return;
  QString damage;
  {
    std::lock_guard lock(mutex_);
    end_ = recording_->EndTime();
    indexed_ = recording_->indexed();
    if (indexed_ && !damage_reported_) {
      damage = QString::fromStdString(recording_->damage());
      damage_reported_ = true;
    }
  }
  Q_EMIT rangeChanged(start_, end_);
  if (!damage.isEmpty()) Q_EMIT problem(damage + tr("; the recording ends there"));
}

void PlaybackController::StopIndexing() {
  stop_indexing_ = true;
  if (indexer_.joinable()) indexer_.join();
}

void PlaybackController::Close() {
  if (!recording_) return;
  Pause();
  StopIndexing();
  recording_.reset();
  indexed_ = false;
  Q_EMIT closed();
}

QString PlaybackController::Damage() const {
  if (!recording_) return {};
  std::lock_guard lock(mutex_);
  return QString::fromStdString(recording_->damage());
}

void PlaybackController::ShowTime(std::int64_t time) {
  if (!recording_) return;
  recording::Moment moment;
  std::string error;
  bool shown = false;
  {
    std::lock_guard lock(mutex_);
    time = std::clamp(time, start_, std::max(start_, end_));
    shown = recording_->MomentAt(time, &moment, &error);
  }
  if (!shown) {
    Q_EMIT problem(QString::fromStdString(error));
    return;
  }
  current_ = time;
  recording::ShowMoment(chart_, moment);
  Q_EMIT momentShown(Caption(moment));
}

QString PlaybackController::Caption(const recording::Moment& moment) {
  QString caption =
      tr("Recorded %1").arg(QString::fromStdString(recording::FormatLocalSeconds(moment.time)));
  if (moment.states_only)
    caption += tr(". Only the moments at which a counter changed its state were recorded");
  return caption;
}

void PlaybackController::StepSamples(int samples) {
  if (!recording_ || samples == 0) return;
  std::int64_t time = current_;
  {
    std::lock_guard lock(mutex_);
    const int mode = recording_->mode();
    if (mode == 1 || mode == 0) {
      const std::size_t row = recording_->RowAt(current_);
      const auto last = static_cast<std::int64_t>(recording_->RowCount()) - 1;
      std::int64_t target = static_cast<std::int64_t>(row) + samples;
      // A moment between rows steps back to the row in force first.
      if (samples < 0 && recording_->RowTime(row) < current_) ++target;
      target = std::clamp<std::int64_t>(target, 0, last);
      time = recording_->RowTime(static_cast<std::size_t>(target));
    } else {
      time = current_ +
             static_cast<std::int64_t>(samples) * std::max(recording_->settings().interval, 1);
    }
  }
  ShowTime(time);
}

void PlaybackController::Play() {
  if (!recording_ || playing_) return;
  if (current_ >= end_) ShowTime(start_);
  playing_ = true;
  play_clock_ = clock_();
  play_time_ = current_;
  timer_.start();
  Q_EMIT playingChanged(true);
}

void PlaybackController::Pause() {
  if (!playing_) return;
  playing_ = false;
  timer_.stop();
  Q_EMIT playingChanged(false);
}

void PlaybackController::SetSpeed(int speed) {
  speed = std::clamp(speed, 1, 3600);
  if (speed == speed_) return;
  play_clock_ = clock_();
  play_time_ = current_;
  speed_ = speed;
}

void PlaybackController::Tick() {
  if (!playing_) return;
  const std::int64_t elapsed = clock_() - play_clock_;
  const std::int64_t time = play_time_ + elapsed * speed_ / 1000;
  if (time != current_) ShowTime(time);
  if (indexed_ && current_ >= end_) Pause();
}

}  // namespace corvane::playback
