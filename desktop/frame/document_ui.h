// DocumentUi: the document's window side, owned by the main frame. Carries out the File and
// Options commands that act on the profile: it stops the collector before New, Open, Restart
// and Connect (one CollectorStopper, the frame disabled while it waits), asks the user (the
// save question, "Cannot read file: ", "Cannot write to file: ", message 61210, the dialogs
// through DocumentDialogs) and places the window at an opened profile's rectangle.
//
// Gives the engine's message boxes their window and their Help button.
//
// GUI thread only. The document, the dialogs, the message sink and the window must outlive it.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

#include "desktop/collector/collector_stopper.h"
#include "desktop/dialogs/document_dialogs.h"
#include "desktop/document/corvane_doc.h"
#include "platform/qt/qt_message_sink.h"

class QWidget;

namespace corvane::desktop {

class DocumentUi final : public QObject {
  Q_OBJECT

 public:
  // What follows New or Open: true when the profile changed.
  using Done = std::function<void(bool changed)>;

  // The engine's message boxes (`messages`) are shown over `window`.
  DocumentUi(CCorvaneDoc& document, DocumentDialogs& dialogs, qt::QtMessageSink& messages,
             QWidget& window, EngineWindow& view_window);

  CollectorStopper& stopper() { return stopper_; }

  // ---- The document's life. ----
  // The collector stopped (a stop that gives up does not hold up a new profile), then a new
  // profile; after the program's start its wizard runs at once.
  void New(const Done& done = {});
  // The collector stopped (else message 61210 and the profile stays), then `path` opened and
  // the window placed at its rectangle, or "Cannot read file: " and an empty diagram.
  void Open(const QString& path, const Done& done = {});
  // The save check: stores the window rectangle, saves display changes silently and, when
  // counter or timing changes remain, asks "Save changes to <title>?". False when the user
  // cancels or the save fails.
  bool SaveModified();
  // Runs the profile wizard; its "Counters..." button leads to the Counters command.
  void RunWizard();

  // ---- Commands. Each of New, Open and OpenFiles ends with documentShown. ----
  void OnFileNew();
  void OnFileOpen();
  // Recent files and dropped files: for each in turn the save check, then open.
  void OpenFiles(const QStringList& paths);
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnViewLog();
  void OnLogSettings();
  void OnRestart();
  void OnConnect();
  void OnCounters();
  void OnPreferences();
  void OnSystemOptions();
  void OnColour(ColourSetting which);

 Q_SIGNALS:
  // A New or Open command has ended: the frame settles its state for the profile.
  void documentShown();

 private:
  void StoreWindowRect();
  bool Save(const QString& path);
  QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& text,
                                  QMessageBox::StandardButtons buttons,
                                  QMessageBox::StandardButton default_button,
                                  bool system_modal = false);

  CCorvaneDoc& document_;
  DocumentDialogs& dialogs_;
  QWidget& window_;
  EngineWindow& view_window_;
  CollectorStopper stopper_;
};

// Moves and sizes a top-level window to a stored rectangle (left, top, right, bottom). Where
// the platform does not let a program place its windows (Wayland) only the size is taken.
void PlaceWindow(QWidget& window, const QRect& rect);

}  // namespace corvane::desktop
