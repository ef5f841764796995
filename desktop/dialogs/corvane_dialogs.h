// The desktop program's real dialogs behind DocumentDialogs: each call builds the dialog,
// runs it modally over `parent` and reports its result. Every dialog's Help button reaches
// ShowHelp. GUI thread only.
#pragma once

#include "desktop/dialogs/document_dialogs.h"

namespace corvane::desktop {

class CorvaneDialogs final : public DocumentDialogs {
 public:
  int RunWizard(Corvane& engine, EngineWindow* window, QWidget* parent) override;
  bool RunCounters(Corvane& engine, EngineWindow* window, QWidget* parent) override;
  std::optional<QString> AskComputer(Corvane& engine, QWidget* parent) override;
  bool RunPreferences(Corvane& engine, EngineWindow* window, QWidget* parent) override;
  bool RunLogSettings(Corvane& engine, QWidget* parent) override;
  void RunSystemOptions(QWidget* parent) override;
  void ShowAbout(QWidget* main_window) override;
  void ShowHelp(HelpTopicId topic, QWidget* parent) override;
  std::optional<QString> AskOpenPath(QWidget* parent) override;
  std::optional<QString> AskOpenLogPath(QWidget* parent) override;
  std::optional<QString> AskSavePath(const QString& proposed, QWidget* parent) override;
  std::optional<QColor> ChooseColour(const QColor& initial, const QList<QColor>& custom_colours,
                                     QWidget* parent) override;
  bool OpenUrl(const QUrl& url) override;
};

}  // namespace corvane::desktop
