#include "desktop/frame/playback_session.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <optional>
#include <string>

#include "core/recording/recording_engine.h"
#include "core/recording/recording_settings.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/document_ui.h"
#include "platform/qt/object_name.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {

PlaybackSession::PlaybackSession(CCorvaneDoc& document, DocumentUi& ui, QMainWindow& window,
                                 qt::QtEngineWindow& view_window)
    : QObject(&window),
      document_(document),
      ui_(ui),
      window_(window),
      view_window_(view_window),
      controller_(document.engine(), this) {
  controller_.SetChartPreparer(
      [this](const recording::RecordingSettings& settings) { PrepareChart(settings); });

  // The bar sits under the chart, across the window, where no one can drag it away.
  tool_bar_ = new QToolBar(tr("Recording"), &window_);
  qt::Named(tool_bar_, qt::WidgetRole::kBar, "playback_tools");
  tool_bar_->setMovable(false);
  tool_bar_->setFloatable(false);
  tool_bar_->toggleViewAction()->setVisible(false);
  bar_ = new playback::PlaybackBar(controller_, tool_bar_);
  bar_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tool_bar_->addWidget(bar_);
  window_.addToolBar(Qt::BottomToolBarArea, tool_bar_);
  tool_bar_->hide();

  connect(bar_, &playback::PlaybackBar::leaveRequested, this, &PlaybackSession::Leave);
  connect(&controller_, &playback::PlaybackController::closed, this, [this] {
    if (!replacing_) GoLive();
  });
  // A row that cannot be read back stops the playing there.
  connect(&controller_, &playback::PlaybackController::problem, this, [this](const QString& text) {
    controller_.Pause();
    Tell(text);
  });
  // The view is told of a moment as of a sample: a posted, coalesced repaint request.
  connect(&controller_, &playback::PlaybackController::momentShown, this,
          [this](const QString& caption) {
            view_window_.Invalidate(true);
            Q_EMIT momentShown(caption);
          });
}

PlaybackSession::WindowOptions PlaybackSession::OptionsOf(const CorvaneSettings& settings) {
  return {settings.Caption, settings.EnableTray, settings.AlwaysOntop, settings.NotifyCritical};
}

void PlaybackSession::Apply(const WindowOptions& options, CorvaneSettings& settings) {
  settings.Caption = options.caption;
  settings.EnableTray = options.enable_tray;
  settings.AlwaysOntop = options.always_on_top;
  settings.NotifyCritical = options.notify_critical;
}

void PlaybackSession::Open(const QString& path) {
  if (document_.ProfileSetAside()) return OpenStopped(path);
  ui_.stopper().Stop([this, path](bool stopped) {
    if (!stopped) return ShowCannotStopCollector(&window_);
    window_options_ = OptionsOf(document_.engine().GetSettings());
    if (!document_.SetProfileAside()) {
      document_.Start(true);
      return Tell(tr("The open profile cannot be kept in %1 while the log is shown; the live "
                     "chart stays.")
                      .arg(QDir::toNativeSeparators(QDir::tempPath())));
    }
    OpenStopped(path);
  });
}

void PlaybackSession::OpenStopped(const QString& path) {
  Corvane& engine = document_.engine();
  // From one recording to the next the window keeps the options as they are now.
  if (active_) window_options_ = OptionsOf(engine.GetSettings());
  // The profile that wrote the log gives the axes their scales; a profile that cannot be read
  // leaves the log's own columns.
  std::optional<recording::RecordingSettings> settings;
  if (const auto profile = recording::ProfileBesideLog(path.toStdString())) {
    std::string reason;
    if (recording::LoadProfileWithoutLog(engine, *profile, &reason))
      settings = recording::SettingsFromEngine(engine);
  }
  QString error;
  replacing_ = true;
  const bool opened = controller_.Open(path, std::move(settings), &error);
  replacing_ = false;
  if (!opened) {
    GoLive();
    return Tell(tr("Cannot play back the log %1: %2").arg(QDir::toNativeSeparators(path), error));
  }
  const bool was_active = active_;
  active_ = true;
  log_name_ = QFileInfo(path).fileName();
  document_.UpdateAllViews();
  tool_bar_->show();
  bar_->slider()->setFocus(Qt::OtherFocusReason);
  if (!was_active) Q_EMIT activeChanged(true);
  Q_EMIT momentShown(bar_->momentLabel()->text());
}

void PlaybackSession::PrepareChart(const recording::RecordingSettings& settings) {
  Corvane& engine = document_.engine();
  if (!settings.from_profile) recording::UseLogColumns(engine, settings);
  // The window keeps the live profile's options while the chart shows the recording.
  CorvaneSettings values = engine.GetSettings();
  Apply(window_options_, values);
  engine.SetSettings(values);
  engine.SetModified(false);
  engine.SetStatusText(std::string());
}

void PlaybackSession::Leave() {
  if (controller_.IsOpen()) {
    controller_.Close();  // closed() brings the live chart back
  } else if (document_.ProfileSetAside()) {
    GoLive();
  }
}

void PlaybackSession::GoLive() {
  tool_bar_->hide();
  log_name_.clear();
  if (document_.ProfileSetAside()) {
    // Window options changed while the recording was shown stay as the user left them.
    const WindowOptions chosen = OptionsOf(document_.engine().GetSettings());
    document_.TakeProfileBack();
    Corvane& engine = document_.engine();
    CorvaneSettings values = engine.GetSettings();
    Apply(chosen, values);
    engine.SetSettings(values);
  }
  const bool was_active = active_;
  active_ = false;
  if (was_active) Q_EMIT activeChanged(false);
}

void PlaybackSession::Tell(const QString& text) {
  // One box over the window, which it does not hold up: the chart goes on being drawn.
  if (message_ != nullptr) {
    message_->setText(text);
    return;
  }
  message_ = new QMessageBox(QMessageBox::Warning, QString::fromLatin1(product::kAppTitle), text,
                             QMessageBox::Ok, &window_);
  message_->setAttribute(Qt::WA_DeleteOnClose);
  message_->open();
}

}  // namespace corvane::desktop
