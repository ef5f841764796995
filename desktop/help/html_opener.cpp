#include "desktop/help/html_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/default_app/default_application.h"

namespace corvane::desktop {
namespace {

HtmlOpener* g_opener = nullptr;

bool StartDetached(const std::vector<std::string>& command) {
  QStringList arguments;
  for (std::size_t i = 1; i < command.size(); ++i) arguments << QString::fromStdString(command[i]);
  return QProcess::startDetached(QString::fromStdString(command.front()), arguments);
}

}  // namespace

OpenResult DesktopHtmlOpener::Open(const QUrl& url) {
  const XdgFolders folders = XdgFolders::FromEnvironment();
  const std::string url_text = url.toString(QUrl::FullyEncoded).toStdString();
  const std::string local_file = url.isLocalFile() ? url.toLocalFile().toStdString() : "";

  std::vector<std::string> command;
  if (const std::optional<DesktopEntry> entry = FindDefaultApplication(folders, "text/html")) {
    std::optional<std::vector<std::string>> expanded = ExpandExec(*entry, url_text, local_file);
    if (!expanded) return OpenResult::kStartFailed;
    command = std::move(*expanded);
    if (entry->terminal) command.insert(command.begin(), {"x-terminal-emulator", "-e"});
  } else if (!FindProgram("x-www-browser", folders.path).empty()) {
    command = {"x-www-browser", url_text};
  } else {
    return OpenResult::kNoHandler;
  }
  const std::filesystem::path program = FindProgram(command.front(), folders.path);
  if (program.empty()) return OpenResult::kStartFailed;
  command.front() = program.string();
  return StartDetached(command) ? OpenResult::kOpened : OpenResult::kStartFailed;
}

HtmlOpener& CurrentHtmlOpener() {
  static DesktopHtmlOpener desktop;
  return g_opener != nullptr ? *g_opener : desktop;
}

ScopedHtmlOpener::ScopedHtmlOpener(HtmlOpener* opener) : previous_(g_opener) { g_opener = opener; }
ScopedHtmlOpener::~ScopedHtmlOpener() { g_opener = previous_; }

bool OpenLink(const QUrl& url) {
  if (url.isLocalFile()) return CurrentHtmlOpener().Open(url) == OpenResult::kOpened;
  return QDesktopServices::openUrl(url);
}

}  // namespace corvane::desktop
