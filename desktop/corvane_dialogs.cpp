#include "desktop/corvane_dialogs.h"

#include <QDialog>

#include "desktop/help/about_dlg.h"
#include "desktop/help/help_operation.h"

namespace corvane::desktop {

// Dialogs not yet in this build answer as if the user pressed Cancel.

int CorvaneDialogs::RunWizard(Corvane&, EngineWindow*, QWidget*) { return QDialog::Rejected; }

bool CorvaneDialogs::RunCounters(Corvane&, EngineWindow*, QWidget*) { return false; }

std::optional<QString> CorvaneDialogs::AskComputer(QWidget*) { return std::nullopt; }

bool CorvaneDialogs::RunPreferences(Corvane&, EngineWindow*, QWidget*) { return false; }

bool CorvaneDialogs::RunLogSettings(Corvane&, QWidget*) { return false; }

void CorvaneDialogs::RunSystemOptions(QWidget*) {}

void CorvaneDialogs::ShowAbout(QWidget* main_window) {
  CAboutDlg about(main_window, main_window);
  about.exec();
}

void CorvaneDialogs::ShowHelp(std::uint32_t context, QWidget* parent) {
  corvane::desktop::ShowHelp(context, parent);
}

}  // namespace corvane::desktop
