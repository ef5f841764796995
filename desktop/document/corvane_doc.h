// CCorvaneDoc: the desktop program's one document, an open monitoring profile. Owns the engine
// (with the screen it lends it; its messages go to the sink it is given) for the life of the
// process and reuses it for every New and Open, the profile's path and its modified flag;
// decides what creating, opening and saving a profile do and reports what happened. It asks
// nobody, shows no window and places none: DocumentUi, on the window's side, does that, and
// stops the collector before New, Open, Restart and Connect.
//
// Modified means the document's own flag or the chart's (counters, timing, log settings);
// display flags, colours and the window rectangle are written back silently by the save check.
//
// GUI thread only. The provider, the message sink, the machine settings and the start-up flags
// must outlive the document; the view's window given to AttachView must stay alive until
// ShutDown.
#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTemporaryFile>
#include <QUrl>
#include <memory>

#include "core/engine.h"
#include "desktop/alerts/alert_notifier.h"
#include "desktop/app/machine_settings.h"
#include "platform/qt/qt_screen_info.h"

namespace corvane::desktop {

// What the program start tells the document and the document tells the start.
struct StartupFlags {
  bool first_document = true;  // cleared by the first New or Open
  bool show_wizard = false;    // set when the first New found no profile to open
};

// The seven colour commands and the setting each one changes.
enum class ColourSetting { kCurrent, kAverage, kMax, kBack, kText, kLines, kCritical };

// What New did.
enum class NewOutcome {
  kLastProfile,  // the program's start opened the last profile
  kAtStart,      // the program's start made a new profile; the wizard runs once the window shows
  kCreated,      // a new profile after the start; its wizard runs now
};
// What Open did.
enum class OpenOutcome {
  kOpened,      // the profile is open and sampling, its window rectangle to be taken
  kUnreadable,  // an empty diagram under the file's name: "Cannot read file: "
};
// What Save did.
enum class SaveOutcome { kSaved, kCannotWrite };

class CCorvaneDoc final : public QObject {
  Q_OBJECT

 public:
  CCorvaneDoc(perf::Provider& provider, MessageSink& messages, MachineSettings& machine,
              StartupFlags& flags, QObject* parent = nullptr);

  Corvane& engine() { return engine_; }
  // The desktop notifications of counters in alert.
  AlertNotifier& alert_notifier() { return notifier_; }
  // The view's window, which the collector repaints.
  void AttachView(EngineWindow* view_window) { view_window_ = view_window; }
  EngineWindow* view_window() const { return view_window_; }
  // Stops the collector (up to 5 s) and makes the engine forget the view's window. Called
  // once, by the program's end.
  void ShutDown();

  const QString& PathName() const { return path_name_; }
  // The profile's file name, as the caption and the save question show it.
  QString Title() const;
  // The stored window rectangle (WndLeft, WndTop, WndRight, WndBottom).
  QRect WindowRect() const;
  // Takes the window's rectangle for the profile (right and bottom one past the edge).
  void StoreWindowRect(int left, int top, int right, int bottom);

  // ---- The document's life; the collector is stopped before New and Open. ----
  NewOutcome NewDocument();
  // After a new profile's wizard: a profile left without counters is not modified.
  void SettleNewProfile();
  OpenOutcome OpenDocument(const QString& path);
  // Writes the profile to `path`; the path name stays.
  SaveOutcome SaveDocument(const QString& path);
  // Writes the profile to `path`, which becomes its path name and a recent file.
  SaveOutcome SaveAs(const QString& path);
  // Unsaved counter or timing changes.
  bool IsModified() const;
  // The save check's silent part: an unmodified, readable profile takes its display changes.
  void SaveDisplayChanges();
  // "Loading...", settings applied, the collector started with the view's window.
  bool Start(bool repaint_at_start);

  // ---- What the commands change. ----
  // Starts the stopped collector again, without "Loading..." and without the settings.
  void Restart();
  // Every counter path rewritten for `computer`, then the collector started again.
  void Connect(const QString& computer);
  void ResetMax();
  void CleanLog();
  // After a dialog that changed the chart: the document is modified when the chart is.
  void TakeChartChanges();
  QColor Colour(ColourSetting which) const;
  void SetColour(ColourSetting which, const QColor& colour);
  // The custom colours the colour dialog of `which` offers.
  static QList<QColor> CustomColours(ColourSetting which);
  bool LoggingOff() const;
  QUrl LogUrl() const;
  // Asks the views to show the chart again.
  void UpdateAllViews() { Q_EMIT updateAllViews(); }

  // ---- Playback borrows the engine's chart (the collector stopped first). ----
  // Keeps the open profile, as it is now and with its modified state, in a temporary file,
  // so that the chart can show a recording. False when it cannot be written (nothing changed).
  bool SetProfileAside();
  bool ProfileSetAside() const { return aside_ != nullptr; }
  // The profile kept aside back in the engine, as modified as it was, with its own activity
  // log again; then Start. False (and the engine's profile as it is) when none is kept.
  bool TakeProfileBack();

 Q_SIGNALS:
  // The path name, and so the caption, changed.
  void titleChanged();
  // What the view shows changed.
  void updateAllViews();
  // The recent-file list changed.
  void recentFilesChanged();

 private:
  void SetPathName(const QString& path, bool add_to_recent);

  MachineSettings& machine_;
  StartupFlags& flags_;
  qt::QtScreenInfo screen_;
  AlertNotifier notifier_;
  AlertPoster alert_poster_{notifier_};
  Corvane engine_;  // after screen_ and alert_poster_, which it calls until destroyed
  EngineWindow* view_window_ = nullptr;
  std::unique_ptr<QTemporaryFile> aside_;  // the profile while the chart shows a recording
  bool aside_modified_ = false;
  QString path_name_;
  bool modified_ = false;
  // The open profile could not be read: the silent save must not replace it with an empty one.
  bool unreadable_ = false;
};

}  // namespace corvane::desktop
