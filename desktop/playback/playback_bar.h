// The bar under the chart while a recording is shown: the recording's start and end, a time
// slider between them, play and pause, the speed (1x to 3600x), the moment shown and a button
// that leaves the recording. Keys on the slider: Left and Right one sample, Page Up and Page
// Down one minute, Home and End the start and the end, Space plays or pauses. Owns its child
// widgets; drives the controller it is given (which must outlive it). GUI thread only.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QWidget>

#include "desktop/playback/playback_controller.h"

namespace corvane::playback {

class PlaybackBar : public QWidget {
  Q_OBJECT

 public:
  PlaybackBar(PlaybackController& controller, QWidget* parent = nullptr);

  QSlider* slider() const { return slider_; }
  QToolButton* playButton() const { return play_; }
  QComboBox* speedBox() const { return speed_; }
  QLabel* momentLabel() const { return moment_; }
  QToolButton* leaveButton() const { return leave_; }

 Q_SIGNALS:
  // The user asked to go back to the live chart.
  void leaveRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnRange(qint64 start, qint64 end);
  void OnMoment(const QString& caption);
  void OnPlaying(bool playing);

  PlaybackController& controller_;
  QLabel* start_ = nullptr;
  QLabel* end_ = nullptr;
  QSlider* slider_ = nullptr;
  QToolButton* play_ = nullptr;
  QComboBox* speed_ = nullptr;
  QLabel* moment_ = nullptr;
  QToolButton* leave_ = nullptr;
};

}  // namespace corvane::playback
