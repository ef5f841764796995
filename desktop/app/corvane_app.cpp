#include "desktop/app/corvane_app.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

#include "core/recording/dropped_file.h"
#include "core/recording/recording_settings.h"
#include "desktop/app/command_line.h"
#include "desktop/frame/document_ui.h"

namespace corvane::desktop {

std::optional<QString> ProfileArgument(const QStringList& arguments, QString* error) {
  error->clear();
  std::optional<QString> profile;
  for (const QString& argument : arguments) {
    if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      *error = QStringLiteral("unknown option \"%1\"").arg(argument);
      return std::nullopt;
    }
    if (profile) {
      *error = QStringLiteral("more than one profile given");
      return std::nullopt;
    }
    profile = argument;
  }
  return profile;
}

CCorvaneApp::CCorvaneApp(perf::Provider& provider, DocumentDialogs& dialogs,
                         MachineSettings machine)
    : dialogs_(dialogs),
      machine_(std::move(machine)),
      document_(std::make_unique<CCorvaneDoc>(provider, messages_, machine_, flags_)),
      frame_(std::make_unique<CMainFrame>(*document_, dialogs, machine_, messages_)) {
  // Hidden in the tray, the frame is no longer a visible window; the program ends when the
  // frame closes, not when its last visible window does.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  connect(frame_.get(), &CMainFrame::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

CCorvaneApp::~CCorvaneApp() {
  // The program's one shutdown: the collector stops before the window it repaints goes.
  document_->ShutDown();
  frame_.reset();
  document_.reset();
}

bool CCorvaneApp::InitInstance(const QStringList& arguments) {
  QString error;
  std::optional<QString> profile = ProfileArgument(arguments, &error);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "Corvane: %s\n", error.toLocal8Bit().constData());
    std::fwrite(kDesktopUsage.data(), 1, kDesktopUsage.size(), stderr);
    return false;
  }
  // An activity log given in place of a profile plays back over the profile that wrote it,
  // when that profile is beside it: leaving the recording goes on with that profile's live
  // chart. A log without its profile plays back over a new one.
  std::optional<QString> log;
  if (profile && recording::ClassifyDroppedFile(profile->toStdString()) ==
                     recording::DroppedFileKind::kActivityLog) {
    log = QFileInfo(*profile).absoluteFilePath();
    profile.reset();
    if (const auto writer = recording::ProfileBesideLog(log->toStdString()))
      profile = QString::fromStdString(writer->string());
  }
  // Nothing samples yet, so the stop before New and Open ends at once.
  DocumentUi& ui = frame_->document_ui();
  if (profile) {
    ui.Open(QFileInfo(*profile).absoluteFilePath());
  } else {
    ui.New();
  }
  frame_->Synchronise(true);
  PlaceWindow(*frame_, document_->WindowRect());
  frame_->show();
  if (log) {
    frame_->OpenLog(*log);
  } else if (flags_.show_wizard) {
    ui.RunWizard();
  }
  return true;
}

}  // namespace corvane::desktop
