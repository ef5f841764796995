#include "desktop/corvane_dialogs.h"

#include <QDialog>

namespace corvane::desktop {

// Dialogs not yet in this build answer as if the user pressed Cancel.

int CorvaneDialogs::RunWizard(Corvane&, EngineWindow*, QWidget*) { return QDialog::Rejected; }

bool CorvaneDialogs::RunCounters(Corvane&, EngineWindow*, QWidget*) { return false; }

std::optional<QString> CorvaneDialogs::AskComputer(QWidget*) { return std::nullopt; }

bool CorvaneDialogs::RunPreferences(Corvane&, EngineWindow*, QWidget*) { return false; }

bool CorvaneDialogs::RunLogSettings(Corvane&, QWidget*) { return false; }

void CorvaneDialogs::RunSystemOptions(QWidget*) {}

void CorvaneDialogs::ShowAbout(QWidget*) {}

void CorvaneDialogs::ShowHelp(std::uint32_t, QWidget*) {}

}  // namespace corvane::desktop
