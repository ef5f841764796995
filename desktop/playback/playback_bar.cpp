#include "desktop/playback/playback_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/recording/local_seconds.h"
#include "platform/qt/object_name.h"

namespace corvane::playback {
namespace {

constexpr int kSpeeds[] = {1, 10, 60, 600, 3600};

QString TimeText(std::int64_t time) {
  return QString::fromStdString(recording::FormatLocalSeconds(time));
}

}  // namespace

PlaybackBar::PlaybackBar(PlaybackController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
  qt::Named(this, qt::WidgetRole::kBar, "playback");
  setAccessibleName(tr("Recording playback"));

  play_ = qt::Named(new QToolButton(this), qt::WidgetRole::kButton, "play");
  play_->setText(tr("Play"));
  play_->setAccessibleName(tr("Play"));
  play_->setToolTip(tr("Play the recording (Space)"));

  start_ = qt::Named(new QLabel(this), qt::WidgetRole::kLabel, "start");
  start_->setAccessibleName(tr("Recording starts"));
  end_ = qt::Named(new QLabel(this), qt::WidgetRole::kLabel, "end");
  end_->setAccessibleName(tr("Recording ends"));

  slider_ = qt::Named(new QSlider(Qt::Horizontal, this), qt::WidgetRole::kSlider, "time");
  slider_->setAccessibleName(tr("Recorded time"));
  slider_->setAccessibleDescription(
      tr("Left and Right move one sample, Page Up and Page Down one minute"));
  slider_->setFocusPolicy(Qt::StrongFocus);
  slider_->installEventFilter(this);

  speed_ = qt::Named(new QComboBox(this), qt::WidgetRole::kCombo, "speed");
  speed_->setAccessibleName(tr("Playback speed"));
  for (const int speed : kSpeeds) speed_->addItem(QString("%1x").arg(speed), speed);

  moment_ = qt::Named(new QLabel(this), qt::WidgetRole::kLabel, "moment");
  moment_->setAccessibleName(tr("Moment shown"));
  // The note of a log of state changes is long: it wraps rather than widen the window.
  moment_->setWordWrap(true);

  leave_ = qt::Named(new QToolButton(this), qt::WidgetRole::kButton, "leave");
  // Its accessible name is what it shows, so that speech control reaches it by what it says;
  // what it does is its description.
  leave_->setText(tr("Live Chart"));
  leave_->setAccessibleName(leave_->text());
  leave_->setToolTip(tr("Leave the recording and show the live chart again"));
  leave_->setAccessibleDescription(leave_->toolTip());

  // The slider has the whole width between the recording's ends, so that a narrow window still
  // gives it room to move; the buttons and the moment shown go under it.
  auto* time_row = new QHBoxLayout;
  time_row->addWidget(start_);
  time_row->addWidget(slider_, 1);
  time_row->addWidget(end_);
  auto* control_row = new QHBoxLayout;
  control_row->addWidget(play_);
  control_row->addWidget(speed_);
  control_row->addWidget(moment_, 1);
  control_row->addWidget(leave_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 2);
  column->addLayout(time_row);
  column->addLayout(control_row);
  setTabOrder(slider_, play_);
  setTabOrder(play_, speed_);
  setTabOrder(speed_, leave_);

  connect(play_, &QToolButton::clicked, this, [this] {
    if (controller_.IsPlaying()) {
      controller_.Pause();
    } else {
      controller_.Play();
    }
  });
  connect(slider_, &QSlider::valueChanged, this,
          [this](int value) { controller_.ShowTime(controller_.StartTime() + value); });
  connect(speed_, &QComboBox::currentIndexChanged, this,
          [this](int index) { controller_.SetSpeed(speed_->itemData(index).toInt()); });
  connect(leave_, &QToolButton::clicked, this, &PlaybackBar::leaveRequested);
  connect(&controller_, &PlaybackController::rangeChanged, this, &PlaybackBar::OnRange);
  connect(&controller_, &PlaybackController::momentShown, this, &PlaybackBar::OnMoment);
  connect(&controller_, &PlaybackController::playingChanged, this, &PlaybackBar::OnPlaying);
  if (controller_.IsOpen()) OnRange(controller_.StartTime(), controller_.EndTime());
}

void PlaybackBar::OnRange(qint64 start, qint64 end) {
  start_->setText(TimeText(start));
  end_->setText(TimeText(end));
  const QSignalBlocker blocker(slider_);
  slider_->setRange(0, static_cast<int>(std::min<qint64>(end - start, INT32_MAX)));
  slider_->setValue(static_cast<int>(controller_.CurrentTime() - start));
}

void PlaybackBar::OnMoment(const QString& caption) {
  moment_->setText(caption);
  const QSignalBlocker blocker(slider_);
  slider_->setValue(static_cast<int>(controller_.CurrentTime() - controller_.StartTime()));
  slider_->setAccessibleDescription(caption);
}

void PlaybackBar::OnPlaying(bool playing) {
  play_->setText(playing ? tr("Pause") : tr("Play"));
  play_->setAccessibleName(playing ? tr("Pause") : tr("Play"));
}

bool PlaybackBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == slider_ && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Right:
        controller_.StepSamples(1);
        return true;
      case Qt::Key_Left:
        controller_.StepSamples(-1);
        return true;
      case Qt::Key_PageDown:
        controller_.StepSeconds(60);
        return true;
      case Qt::Key_PageUp:
        controller_.StepSeconds(-60);
        return true;
      case Qt::Key_Home:
        controller_.ShowTime(controller_.StartTime());
        return true;
      case Qt::Key_End:
        controller_.ShowTime(controller_.EndTime());
        return true;
      case Qt::Key_Space:
        play_->click();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace corvane::playback
