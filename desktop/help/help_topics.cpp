#include "desktop/help/help_topics.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace corvane::desktop {
namespace {

constexpr std::array<HelpTableRow, 6> kTable{{
    {kHelpWizard, {"useit.html", "#new"}},
    {kHelpCounters, {"useit.html", "#modify"}},
    {kHelpRemoteHost, {"useit.html", "#remote"}},
    {kHelpPreferences, {"useit.html", "#options"}},
    {kHelpLogSettings, {"log.html", "#config"}},
    {kHelpConnectionFailed, {"troubles.html", "#confail"}},
}};

bool IsFolder(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

std::span<const HelpTableRow> HelpTable() { return kTable; }

std::uint32_t ReduceHelpContext(std::uint32_t context) {
  std::uint32_t reduced = context - kDialogHelpBase;
  if (reduced > 0x10000u) reduced -= 0x10000u;
  return reduced;
}

HelpTopic HelpTopicFor(std::uint32_t context) {
  const std::uint32_t reduced = ReduceHelpContext(context);
  const auto row = std::find_if(kTable.begin(), kTable.end(),
                                [reduced](const HelpTableRow& r) { return r.context == reduced; });
  if (row == kTable.end()) return {kHelpStartPage, {}};
  return row->topic;
}

std::string BuildHelpArgument(std::string_view page_path, std::string_view anchor) {
  // An absolute path already brings the slash that ends "file:///".
  if (page_path.starts_with('/')) page_path.remove_prefix(1);
  std::string argument = "\"file:///";
  argument.append(page_path);
  argument.append(anchor);
  argument.push_back('"');
  std::replace(argument.begin(), argument.end(), '\\', '/');
  return argument;
}

std::filesystem::path FindHelpFolder(const std::filesystem::path& program_folder) {
  const std::filesystem::path beside = program_folder / "Help";
  if (IsFolder(beside)) return beside;
  const std::filesystem::path installed =
      (program_folder / ".." / "share" / "corvane" / "Help").lexically_normal();
  if (IsFolder(installed)) return installed;
  return beside;
}

}  // namespace corvane::desktop
