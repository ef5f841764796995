#include "desktop/corvane_dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>

#include "desktop/command_ids.h"
#include "desktop/help/about_dlg.h"
#include "desktop/help/help_operation.h"
#include "desktop/help/html_opener.h"

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
  desktop::ShowHelp(context, parent);
}

std::optional<QString> CorvaneDialogs::AskOpenPath(QWidget* parent) {
  const QString path = QFileDialog::getOpenFileName(parent, QObject::tr("Open"), QString(),
                                                    QObject::tr(text::kFilter));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> CorvaneDialogs::AskSavePath(const QString& proposed, QWidget* parent) {
  QFileDialog dialog(parent, QObject::tr("Save As"), proposed, QObject::tr(text::kFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString(text::kExtension).mid(1));
  dialog.selectFile(proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
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
