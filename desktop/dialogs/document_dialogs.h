// The one place every command of the desktop program opens its dialogs. The program passes
// CorvaneDialogs (the real dialogs); tests pass a scripted implementation that answers at once.
// GUI thread only. `engine` and `window` must outlive the call.
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <optional>

#include "desktop/help/help_topics.h"

class QWidget;

namespace corvane {
class Corvane;
class EngineWindow;
}  // namespace corvane

namespace corvane::desktop {

inline constexpr int kWizardCountersResult = 18;  // the wizard ended with its "Counters..." button

class DocumentDialogs {
 public:
  virtual ~DocumentDialogs() = default;
  // QDialog::Accepted, QDialog::Rejected or kWizardCountersResult.
  virtual int RunWizard(Corvane& engine, EngineWindow* window, QWidget* parent) = 0;
  // true when OK was pressed (the dialog has applied its result to the chart).
  virtual bool RunCounters(Corvane& engine, EngineWindow* window, QWidget* parent) = 0;
  // the computer name as typed; nullopt on Cancel. When the profile reads its remote machines
  // through a Prometheus server, the dialog offers that server's instances, listed through the
  // engine's provider.
  virtual std::optional<QString> AskComputer(Corvane& engine, QWidget* parent) = 0;
  virtual bool RunPreferences(Corvane& engine, EngineWindow* window, QWidget* parent) = 0;
  virtual bool RunLogSettings(Corvane& engine, QWidget* parent) = 0;
  virtual void RunSystemOptions(QWidget* parent) = 0;
  virtual void ShowAbout(QWidget* main_window) = 0;
  virtual void ShowHelp(HelpTopicId topic, QWidget* parent) = 0;

  // ---- The desktop's common dialogs and its default handler for files and pages. ----

  // A profile to open, from the file dialog with the profile filter; nullopt on Cancel.
  virtual std::optional<QString> AskOpenPath(QWidget* parent) = 0;
  // An activity log to play back, from the file dialog with the logs' filter; nullopt on
  // Cancel.
  virtual std::optional<QString> AskOpenLogPath(QWidget* parent) = 0;
  // Where to save the profile, proposed as `proposed`; nullopt on Cancel.
  virtual std::optional<QString> AskSavePath(const QString& proposed, QWidget* parent) = 0;
  // The colour dialog with `initial` preselected and the 16 custom colours set (invalid
  // entries leave a slot as it is); nullopt on Cancel.
  virtual std::optional<QColor> ChooseColour(const QColor& initial,
                                             const QList<QColor>& custom_colours,
                                             QWidget* parent) = 0;
  // Opens a file or page with the desktop's default handler; false when that failed.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

}  // namespace corvane::desktop
