#include "desktop/help/help_operation.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <system_error>

#include "desktop/help/help_topics.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {
namespace {

constexpr char kCannotReadFile[] = "Cannot read file: ";

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

QUrl HelpPageUrl(const std::filesystem::path& page, std::string_view anchor) {
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(page.string()));
  if (anchor.starts_with('#')) anchor.remove_prefix(1);
  if (!anchor.empty()) url.setFragment(QString::fromUtf8(anchor.data(), anchor.size()));
  return url;
}

namespace {

HelpOutcome OpenTopic(const HelpTopic& topic, const std::filesystem::path& program_folder,
                      HtmlOpener& opener) {
  const std::filesystem::path page = FindHelpFolder(program_folder) / topic.page;
  // A page that is not there has no program to open it, whatever the desktop offers.
  if (!IsFile(page)) return {false, kCannotReadFile + page.string()};
  switch (opener.Open(HelpPageUrl(page, topic.anchor))) {
    case OpenResult::kOpened:
      return {true, {}};
    case OpenResult::kNoHandler:
      return {false, kCannotReadFile + page.string()};
    case OpenResult::kStartFailed:
      break;
  }
  return {false, kCannotReadFile + BuildHelpArgument(page.string(), topic.anchor)};
}

void ShowOutcome(const HelpOutcome& outcome, QWidget* parent) {
  if (outcome.opened) return;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(product::kAppTitle),
                  QString::fromStdString(outcome.message), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

HelpOutcome OpenHelp(HelpTopicId topic, const std::filesystem::path& program_folder,
                     HtmlOpener& opener) {
  return OpenTopic(HelpTopicFor(topic), program_folder, opener);
}

std::filesystem::path ProgramFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

std::filesystem::path HelpFolder() { return FindHelpFolder(ProgramFolder()); }

void ShowHelp(HelpTopicId topic, QWidget* parent) {
  ShowOutcome(OpenHelp(topic, ProgramFolder(), CurrentHtmlOpener()), parent);
}

HelpRequest HelpRequestFor(QWidget* parent) {
  return [parent](HelpTopicId topic) { ShowHelp(topic, parent); };
}

}  // namespace corvane::desktop
