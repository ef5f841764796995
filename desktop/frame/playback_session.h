// PlaybackSession: an activity log played back in the main window. Opening one stops the
// collector (the document's one stopper), sets the open profile aside, gives the engine's chart
// the axes of the profile beside the log (or the log's own columns) and shows the playback bar
// under the chart; every moment shown posts a repaint of the view. Leaving it (the bar's
// button, Esc, or a command that needs the live profile) brings the profile back and the
// collector starts again. The window options (caption, tray, on top, notifications) stay the
// window's throughout. Owns the controller; the bar's tool bar is the window's child.
//
// GUI thread only. The document, its window side, the window and the view's window must outlive
// the session.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QToolBar>

#include "core/corvane_settings.h"
#include "desktop/playback/playback_bar.h"
#include "desktop/playback/playback_controller.h"
#include "platform/qt/qt_engine_window.h"

namespace corvane::desktop {

class CCorvaneDoc;
class DocumentUi;

class PlaybackSession final : public QObject {
  Q_OBJECT

 public:
  PlaybackSession(CCorvaneDoc& document, DocumentUi& ui, QMainWindow& window,
                  qt::QtEngineWindow& view_window);

  // The chart shows a recording (from the stop of the collector until the live chart is back).
  bool IsActive() const { return active_; }
  playback::PlaybackController& controller() { return controller_; }
  playback::PlaybackBar* bar() const { return bar_; }
  // The recording's file name, empty while none is shown.
  const QString& LogName() const { return log_name_; }

  // Shows the log at `path` in place of the live chart (or of the recording shown). When it
  // cannot be shown the user is told why and the live chart comes back as it was.
  void Open(const QString& path);
  // Back to the live chart of the open profile; nothing when no recording is shown.
  void Leave();

 Q_SIGNALS:
  // A recording is shown from now on (true), or the live chart is back (false).
  void activeChanged(bool active);
  // The moment shown changed; `caption` names it as the bar does.
  void momentShown(const QString& caption);

 private:
  // The collector is stopped: the profile set aside (once) and the log opened.
  void OpenStopped(const QString& path);
  void PrepareChart(const recording::RecordingSettings& settings);
  void GoLive();
  void Tell(const QString& text);

  CCorvaneDoc& document_;
  DocumentUi& ui_;
  QMainWindow& window_;
  qt::QtEngineWindow& view_window_;
  playback::PlaybackController controller_;
  QToolBar* tool_bar_ = nullptr;
  playback::PlaybackBar* bar_ = nullptr;
  bool active_ = false;
  bool replacing_ = false;  // Open closes the recording shown: that is no way back to live
  QString log_name_;
  QPointer<QMessageBox> message_;
  // The window options the live profile had, kept by the engine while it shows a recording.
  struct WindowOptions {
    std::int32_t caption = 1;
    std::int32_t enable_tray = 0;
    std::int32_t always_on_top = 0;
    std::int32_t notify_critical = 0;
  };
  static WindowOptions OptionsOf(const CorvaneSettings& settings);
  static void Apply(const WindowOptions& options, CorvaneSettings& settings);
  WindowOptions window_options_;
};

}  // namespace corvane::desktop
