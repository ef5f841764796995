#include "desktop/help/help_topics.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace corvane::desktop {
namespace {

constexpr std::array<HelpTableRow, 6> kTable{{
    {HelpTopicId::kWizard, {"useit.html", "#new"}},
    {HelpTopicId::kCounters, {"useit.html", "#modify"}},
    {HelpTopicId::kRemoteHost, {"useit.html", "#remote"}},
    {HelpTopicId::kPreferences, {"useit.html", "#options"}},
    {HelpTopicId::kLogSettings, {"log.html", "#config"}},
    {HelpTopicId::kConnectionFailed, {"troubles.html", "#confail"}},
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

HelpTopic HelpTopicFor(HelpTopicId id) {
  const auto row = std::find_if(kTable.begin(), kTable.end(),
                                [id](const HelpTableRow& r) { return r.context == id; });
  if (row == kTable.end()) return {kHelpStartPage, {}};
  return row->topic;
}

HelpTopicId TopicOfContext(std::uint32_t context) {
  return static_cast<HelpTopicId>(ReduceHelpContext(context));
}

HelpTopic HelpTopicFor(std::uint32_t context) { return HelpTopicFor(TopicOfContext(context)); }

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
