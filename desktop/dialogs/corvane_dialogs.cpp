#include "desktop/dialogs/corvane_dialogs.h"

#include <QColorDialog>
#include <QDialog>

#include "core/engine.h"
#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counters_dlg.h"
#include "desktop/help/about_dlg.h"
#include "desktop/help/help_operation.h"
#include "desktop/help/html_opener.h"
#include "desktop/settings/log_settings.h"
#include "desktop/settings/options_dlg.h"
#include "desktop/settings/system_options.h"
#include "desktop/settings/wizard_add_dlg.h"
#include "platform/qt/profile_file_dialog.h"

namespace corvane::desktop {

int CorvaneDialogs::RunWizard(Corvane& engine, EngineWindow* window, QWidget* parent) {
  CWizardAddDlg wizard(engine, window, HelpRequestFor(parent), parent);
  return wizard.exec();
}

bool CorvaneDialogs::RunCounters(Corvane& engine, EngineWindow* window, QWidget* parent) {
  CCountersDlg counters(engine, window, HelpRequestFor(parent), parent);
  return counters.exec() == QDialog::Accepted;
}

std::optional<QString> CorvaneDialogs::AskComputer(Corvane& engine, QWidget* parent) {
  CComputerDlg computer(HelpRequestFor(parent), parent);
  computer.OfferInstancesOf(engine.GetProvider(), QString::fromStdString(engine.GetRemoteServer()));
  if (computer.exec() != QDialog::Accepted) return std::nullopt;
  return computer.ComputerName();
}

bool CorvaneDialogs::RunPreferences(Corvane& engine, EngineWindow* window, QWidget* parent) {
  COptionsDlg options(engine, window, HelpRequestFor(parent), parent);
  return options.exec() == QDialog::Accepted;
}

bool CorvaneDialogs::RunLogSettings(Corvane& engine, QWidget* parent) {
  CLogSettings log_settings(engine, HelpRequestFor(parent), parent);
  return log_settings.exec() == QDialog::Accepted;
}

void CorvaneDialogs::RunSystemOptions(QWidget* parent) {
  desktop::RunSystemOptions(parent, HelpRequestFor(parent));
}

void CorvaneDialogs::ShowAbout(QWidget* main_window) {
  CAboutDlg about(main_window, main_window);
  about.exec();
}

void CorvaneDialogs::ShowHelp(HelpTopicId topic, QWidget* parent) {
  desktop::ShowHelp(topic, parent);
}

std::optional<QString> CorvaneDialogs::AskOpenPath(QWidget* parent) {
  return qt::AskOpenProfile(parent);
}

std::optional<QString> CorvaneDialogs::AskOpenLogPath(QWidget* parent) {
  return qt::AskOpenActivityLog(parent);
}

std::optional<QString> CorvaneDialogs::AskSavePath(const QString& proposed, QWidget* parent) {
  return qt::AskSaveProfile(proposed, parent);
}

std::optional<QColor> CorvaneDialogs::ChooseColour(const QColor& initial,
                                                   const QList<QColor>& custom_colours,
                                                   QWidget* parent) {
  for (int i = 0; i < custom_colours.size() && i < QColorDialog::customCount(); ++i) {
    if (custom_colours[i].isValid()) QColorDialog::setCustomColor(i, custom_colours[i]);
  }
  const QColor colour = QColorDialog::getColor(initial, parent);
  if (!colour.isValid()) return std::nullopt;
  return colour;
}

bool CorvaneDialogs::OpenUrl(const QUrl& url) { return OpenLink(url); }

}  // namespace corvane::desktop
