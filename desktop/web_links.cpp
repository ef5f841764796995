#include "desktop/web_links.h"

#include <filesystem>
#include <system_error>

#include "platform/linux/host/program_path.h"

namespace corvane::desktop {
namespace {

// Help beside the program (a build tree), else where an installed copy keeps it.
QUrl HelpPage(const char* page) {
  const auto folder = host::ProgramFolder();
  if (!folder.ok()) return {};
  const std::filesystem::path program_folder = folder.value;
  for (const std::filesystem::path& help :
       {program_folder / "Help", program_folder.parent_path() / "share/corvane/Help"}) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(help / page, ignored)) {
      return QUrl::fromLocalFile(QString::fromStdString((help / page).lexically_normal().string()));
    }
  }
  return {};
}

}  // namespace

QUrl WebsiteUrl() { return HelpPage("help.html"); }
QUrl ContactUrl() { return HelpPage("troubles.html"); }

}  // namespace corvane::desktop
