#include "service/recorded_rose.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "core/engine_picture.h"
#include "core/recording/local_seconds.h"
#include "core/recording/moment_chart.h"
#include "core/recording/recording_engine.h"
#include "service/metrics_snapshot.h"

namespace corvane::service {
namespace {

// The axes as the moment put them on the chart. Unlike a live snapshot, a playback engine has
// taken no sample of its own, yet every value it shows is one.
MetricsSnapshot MomentAxes(const Corvane& engine) {
  MetricsSnapshot snapshot;
  chart::ChartLock lock(engine);
  const int count = engine.GetAxisCount();
  snapshot.axes.resize(static_cast<std::size_t>(std::max(count, 0)));
  snapshot.axis_count = snapshot.axes.size();
  const auto value = [&](int axis, int series) {
    AxisValue shown;
    engine.GetSeriesValue(axis, &shown.value, series);
    engine.GetValueState(axis, &shown.state, series);
    return shown;
  };
  for (int i = 0; i < count; ++i) {
    AxisMetrics& axis = snapshot.axes[static_cast<std::size_t>(i)];
    chart::Text name;
    engine.GetAxisName(i, &name);
    axis.name.assign(name.value_or(std::string_view{}));
    axis.current = value(i, Corvane::kCurrentSeries);
    axis.average = value(i, Corvane::kAverageSeries);
    axis.maximum = value(i, Corvane::kMaxSeries);
    engine.GetAxisCritical(i, &axis.critical_value);
  }
  return snapshot;
}

}  // namespace

RecordedRose::RecordedRose(MakeProvider make_provider, std::string log, std::string profile)
    : make_provider_(std::move(make_provider)),
      log_(std::move(log)),
      profile_(std::move(profile)) {}

RecordedRose::~RecordedRose() = default;

std::optional<std::int64_t> RecordedRose::ParseMoment(std::string_view text) {
  std::int64_t seconds = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (!text.empty() && result.ec == std::errc{} && result.ptr == text.data() + text.size()) {
    return seconds;
  }
  return recording::ParseLocalSeconds(text);
}

bool RecordedRose::Open(bool again, std::string* error) {
  std::error_code code;
  const std::uintmax_t size = std::filesystem::file_size(log_, code);
  if (code) {
    *error = "cannot read the log " + log_ + ": " + code.message();
    return false;
  }
  // A log that shrank was moved to its backup and begun again.
  if (recording_ != nullptr && !again && size >= opened_size_) return true;
  if (recording_ != nullptr && again && size == opened_size_) return true;
  recording_.reset();
  if (provider_ == nullptr) provider_ = make_provider_();
  engine_ = std::make_unique<Corvane>(*provider_, /*interactive=*/false);
  std::optional<recording::RecordingSettings> settings;
  std::string profile_error;
  if (!profile_.empty() && recording::LoadProfileWithoutLog(*engine_, profile_, &profile_error)) {
    settings = recording::SettingsFromEngine(*engine_);
  }
  recording_ = recording::Recording::Open(log_, settings, error);
  if (recording_ == nullptr) return false;
  if (!settings) recording::UseLogColumns(*engine_, recording_->settings());
  opened_size_ = size;
  // Enough for the first rows: the rest is indexed when a moment there is asked for.
  while (recording_->RowCount() == 0 && !recording_->IndexSome(kIndexStepBytes)) {
  }
  if (recording_->RowCount() == 0) {
    *error = "the log " + log_ + " holds no sample yet";
    recording_.reset();
    return false;
  }
  return true;
}

void RecordedRose::IndexUpTo(std::int64_t time) {
  while (!recording_->indexed() && recording_->EndTime() < time) {
    recording_->IndexSome(kIndexStepBytes);
  }
}

std::optional<LogRange> RecordedRose::Range(std::int64_t now, std::string* error) {
  if (!Open(false, error)) return std::nullopt;
  return LogRange{recording_->StartTime(), std::max(recording_->EndTime(), now)};
}

bool RecordedRose::Draw(std::int64_t time, int width, int height, const RosePicture::Render& render,
                        Picture* picture, std::string* error) {
  if (!Open(false, error)) return false;
  IndexUpTo(time);
  // Rows written since the log was opened: read it again, once, up to the moment.
  if (recording_->indexed() && recording_->EndTime() < time) {
    if (!Open(true, error)) return false;
    IndexUpTo(time);
  }
  if (time < recording_->StartTime()) {
    *error = recording::FormatLocalSeconds(time) + " lies before the log, which begins at " +
             recording::FormatLocalSeconds(recording_->StartTime());
    return false;
  }
  // Later than the last row read: that row is the one in force.
  time = std::min(time, recording_->EndTime());
  recording::Moment moment;
  if (!recording_->MomentAt(time, &moment, error)) return false;
  recording::ShowMoment(*engine_, moment);
  const auto draw = [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
    DrawWholePicture(*engine_, surface, rect);
  };
  if (!render(draw, width, height, &picture->image, error)) return false;
  picture->rows = RowsOf(MomentAxes(*engine_));
  picture->time = time;
  picture->note = recording::DescribeMoment(moment);
  return true;
}

}  // namespace corvane::service
