// CCorvaneApp: the desktop program's start-up, one per process. Builds the engine's message
// boxes, the document and the main frame, carries out the command line (an optional profile
// path, or an activity log to play back over the profile beside it), places and shows the
// window, and runs the profile wizard when no previous profile could be opened. Owns the
// start-up flags, the message sink, the document and the frame; ends the event loop when the
// frame closes. GUI thread only; the provider and the dialogs must outlive it.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

#include "desktop/app/machine_settings.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/frame/main_frame.h"
#include "platform/qt/qt_message_sink.h"

namespace corvane::desktop {

class CCorvaneApp final : public QObject {
  Q_OBJECT

 public:
  CCorvaneApp(perf::Provider& provider, DocumentDialogs& dialogs, MachineSettings machine);
  ~CCorvaneApp() override;

  // `arguments` without the program name: nothing, or one profile path. False when the
  // command line cannot be carried out: the reason and the usage went to the standard error,
  // and the process then ends.
  bool InitInstance(const QStringList& arguments);

  CCorvaneDoc& document() { return *document_; }
  CMainFrame& frame() { return *frame_; }
  MachineSettings& machine() { return machine_; }
  // The engine's messages as message boxes over the frame.
  qt::QtMessageSink& messages() { return messages_; }
  const StartupFlags& flags() const { return flags_; }

 private:
  DocumentDialogs& dialogs_;
  MachineSettings machine_;
  StartupFlags flags_;
  qt::QtMessageSink messages_;  // before the document, whose engine calls it until destroyed
  std::unique_ptr<CCorvaneDoc> document_;
  std::unique_ptr<CMainFrame> frame_;
};

// The command-line arguments Corvane understands, from what QApplication left: the profile
// path, or nothing. Unknown options ("-x") are reported in *error.
std::optional<QString> ProfileArgument(const QStringList& arguments, QString* error);

}  // namespace corvane::desktop
