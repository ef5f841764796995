// CCorvaneDoc: the desktop program's one document, an open monitoring profile. Owns the engine
// (with the message sink and screen it lends it) for the life of the process and reuses it for
// every New and Open; decides what creating, opening and saving a profile do; stops and
// restarts the collector around every change of counters; and carries out the File and
// Options commands that act on the profile. Every dialog is reached through DocumentDialogs.
//
// Modified means the document's own flag or the chart's (counters, timing, log settings);
// display flags, colours and the window rectangle are written back silently by the save check.
//
// GUI thread only. The provider, the dialogs, the machine settings and the start-up flags must
// outlive the document; the windows given to AttachWindows must stay alive until ShutDown.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "core/engine.h"
#include "desktop/alert_notifier.h"
#include "desktop/document_dialogs.h"
#include "desktop/machine_settings.h"
#include "platform/qt/qt_message_sink.h"
#include "platform/qt/qt_screen_info.h"

namespace corvane::desktop {

// What the program start tells the document and the document tells the start.
struct StartupFlags {
  bool first_document = true;  // cleared by the first New or Open
  bool show_wizard = false;    // set when the first New found no profile to open
};

// The seven colour commands and the setting each one changes.
enum class ColourSetting { kCurrent, kAverage, kMax, kBack, kText, kLines, kCritical };

class CCorvaneDoc final : public QObject {
  Q_OBJECT

 public:
  CCorvaneDoc(perf::Provider& provider, DocumentDialogs& dialogs, MachineSettings& machine,
              StartupFlags& flags, QObject* parent = nullptr);
  ~CCorvaneDoc() override;

  Corvane& engine() { return engine_; }
  qt::QtMessageSink& message_sink() { return sink_; }
  // The desktop notifications of counters in alert.
  AlertNotifier& alert_notifier() { return notifier_; }
  // The main window (boxes and dialogs are shown over it, Open moves it) and the view's
  // window, which the collector repaints.
  void AttachWindows(QWidget* main_window, EngineWindow* view_window);
  // Stops the collector (up to 5 s) and makes the engine forget the view's window.
  void ShutDown();

  const QString& PathName() const { return path_name_; }
  // The profile's file name, as the caption and the save question show it.
  QString Title() const;
  // The stored window rectangle (WndLeft, WndTop, WndRight, WndBottom).
  QRect WindowRect() const;

  // ---- The document's life. ----
  bool NewDocument();
  bool OpenDocument(const QString& path);
  bool SaveDocument(const QString& path);
  // The save check: stores the window rectangle, saves display changes silently and answers
  // whether unsaved counter or timing changes remain.
  bool IsModified();
  // Before New, Open and Exit: the save check, then "Save changes to <title>?" when modified.
  // False when the user cancels or the save fails.
  bool SaveModified();
  // "Loading...", settings applied, the collector started with the view's window.
  bool Start(bool repaint_at_start);
  // Runs the profile wizard; its "Counters..." button leads to the Counters command.
  void RunWizard();
  // Stop that keeps the windows painting while it waits: user input waits, the cursor is busy.
  bool StopCollector();

  // ---- Commands. ----
  void OnFileNew();
  void OnFileOpen();
  // A recent file or a dropped file: the save check, then open.
  void OpenFile(const QString& path);
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnViewLog();
  void OnCleanLog();
  void OnLogSettings();
  void OnResetMax();
  void OnRestart();
  void OnConnect();
  void OnCounters();
  void OnPreferences();
  void OnSystemOptions();
  void OnColour(ColourSetting which);

 Q_SIGNALS:
  // The path name, and so the caption, changed.
  void titleChanged();
  // What the view shows changed.
  void updateAllViews();
  // The recent-file list changed.
  void recentFilesChanged();

 private:
  void SetPathName(const QString& path, bool add_to_recent);
  bool DoSave(const QString& path);
  void ShowCannotStop();
  QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& text,
                                  QMessageBox::StandardButtons buttons,
                                  QMessageBox::StandardButton default_button,
                                  bool system_modal = false);

  perf::Provider& provider_;
  DocumentDialogs& dialogs_;
  MachineSettings& machine_;
  StartupFlags& flags_;
  qt::QtMessageSink sink_;
  qt::QtScreenInfo screen_;
  AlertNotifier notifier_;
  AlertPoster alert_poster_{notifier_};
  Corvane engine_;  // after sink_, screen_ and alert_poster_, which it calls until destroyed
  QPointer<QWidget> main_window_;
  EngineWindow* view_window_ = nullptr;
  QString path_name_;
  bool modified_ = false;
  // The open profile could not be read: the silent save must not replace it with an empty one.
  bool unreadable_ = false;
};

// Moves and sizes a top-level window to a stored rectangle (left, top, right, bottom). Where
// the platform does not let a program place its windows (Wayland) only the size is taken.
void PlaceWindow(QWidget& window, const QRect& rect);

}  // namespace corvane::desktop
