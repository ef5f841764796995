#include "platform/qt/profile_file_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/qt/object_name.h"
#include "platform/qt/product_text.h"

namespace corvane::qt {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("ProfileFileDialog", text); }

std::optional<QString> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

QStringList ProfileBrowseFilters() {
  return {Tr(product::kProfileFilter), Tr(product::kAllFilesFilter)};
}

std::optional<QString> AskOpenProfile(QWidget* parent) {
  const QString path =
      QFileDialog::getOpenFileName(parent, Tr("Open"), QString(), Tr(product::kProfileFilter));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> AskSaveProfile(const QString& proposed, QWidget* parent) {
  QFileDialog dialog(parent, Tr("Save As"), proposed, Tr(product::kProfileFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromLatin1(product::kProfileExtension).mid(1));
  dialog.selectFile(proposed);
  return Chosen(dialog);
}

std::optional<QString> BrowseForProfile(const QString& start, QWidget* parent) {
  QFileDialog dialog(parent, Tr(product::kBrowseProfilesTitle), start);
  qt::Named(&dialog, qt::WidgetRole::kDialog, "browse_profiles");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Qt's own dialog, the same on every desktop (and one a test can drive).
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters(ProfileBrowseFilters());
  const QFileInfo current(start);
  if (current.isFile()) dialog.selectFile(current.absoluteFilePath());
  const std::optional<QString> chosen = Chosen(dialog);
  if (!chosen) return std::nullopt;
  return QFileInfo(*chosen).absoluteFilePath();
}

std::optional<QString> AskOpenActivityLog(QWidget* parent) {
  QFileDialog dialog(parent, Tr(product::kOpenLogTitle));
  qt::Named(&dialog, qt::WidgetRole::kDialog, "open_log");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters({Tr(product::kLogFilter), Tr(product::kAllFilesFilter)});
  const std::optional<QString> chosen = Chosen(dialog);
  if (!chosen) return std::nullopt;
  return QFileInfo(*chosen).absoluteFilePath();
}

}  // namespace corvane::qt
