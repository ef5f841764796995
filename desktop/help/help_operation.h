// The desktop program's help operation: every help request (Help -> Contents, the dialogs' Help
// buttons, the Help button of the connection-failure message) picks its page and anchor from
// the help context and opens the page of the Help folder in the desktop's web browser, or says
// "Cannot read file: " with what it could not open. GUI thread only.
#pragma once

#include <QUrl>
#include <cstdint>
#include <filesystem>
#include <string>

#include "desktop/help/help_request.h"
#include "desktop/help/help_topics.h"
#include "desktop/help/html_opener.h"

class QWidget;

namespace corvane::desktop {

// Opens the page of a topic from the Help folder of the running program. A failure shows its
// message in a box titled "Corvane" over parent.
void ShowHelp(HelpTopicId topic, QWidget* parent);

// The request every dialog takes, bound to ShowHelp.
HelpRequest HelpRequestFor(QWidget* parent);

struct HelpOutcome {
  bool opened = false;
  std::string message;  // "Cannot read file: " and the page's path or the built argument
};

// ShowHelp without the message box, for a program in program_folder.
HelpOutcome OpenHelp(HelpTopicId topic, const std::filesystem::path& program_folder,
                     HtmlOpener& opener);

// The URL of a page with its anchor ("#remote", or empty).
QUrl HelpPageUrl(const std::filesystem::path& page, std::string_view anchor);

// The running program's folder and its Help folder.
std::filesystem::path ProgramFolder();
std::filesystem::path HelpFolder();

}  // namespace corvane::desktop
