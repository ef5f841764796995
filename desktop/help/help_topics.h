// Which help page answers a help request, and where the pages are: the help topics and their
// pages, the numbers of the framework's form (a topic's id with its base) at the one boundary
// where a context arrives as a number, the argument that names a page and its anchor, and the
// Help folder of a program. Pure functions of their arguments apart from
// FindHelpFolder, which looks at the file system; any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace corvane::desktop {

// The help topics: the contents and each dialog or message that has a page of its own. Every
// request inside the program names one of these; the value is the dialog's or message's id,
// kept as data for the framework's numbers below.
enum class HelpTopicId : std::uint32_t {
  kContents = 0,            // Help -> Contents: the start page
  kWizard = 106,            // profile wizard
  kCounters = 130,          // counters dialog
  kRemoteHost = 132,        // remote host dialog
  kPreferences = 133,       // preferences dialog
  kLogSettings = 146,       // log settings dialog
  kConnectionFailed = 200,  // "Connection failed..." message
};

constexpr std::uint32_t ContextNumber(HelpTopicId id) { return static_cast<std::uint32_t>(id); }

// The topic of a message box's Help button: the message's help id (200, ...) names it.
constexpr HelpTopicId TopicOfMessage(std::uint32_t help_id) {
  return static_cast<HelpTopicId>(help_id);
}

inline constexpr std::string_view kHelpStartPage = "help.html";

struct HelpTopic {
  std::string_view page;    // file name in the Help folder
  std::string_view anchor;  // "#new", or empty for the top of the page
  friend bool operator==(const HelpTopic&, const HelpTopic&) = default;
};

struct HelpTableRow {
  HelpTopicId context;
  HelpTopic topic;
};

// Every context with a page of its own; any other context opens the start page.
std::span<const HelpTableRow> HelpTable();

// The page and anchor of a topic; a number without a page of its own opens the start page.
HelpTopic HelpTopicFor(HelpTopicId id);

// ---- The framework's form: a context as a number, only where one arrives from outside the
// program (a command line, a stored number). A dialog's context is its id plus
// kDialogHelpBase, a message box's its help id plus kMessageHelpBase; the contents are 0. ----
inline constexpr std::uint32_t kDialogHelpBase = 0x20000;
inline constexpr std::uint32_t kMessageHelpBase = 0x30000;

constexpr std::uint32_t DialogHelpContext(std::uint32_t dialog_id) {
  return dialog_id + kDialogHelpBase;
}
constexpr std::uint32_t MessageHelpContext(std::uint32_t help_id) {
  return help_id + kMessageHelpBase;
}

// The context with its base removed in unsigned 32-bit arithmetic: 0x20000 off, and a further
// 0x10000 when the rest is still above 0x10000.
std::uint32_t ReduceHelpContext(std::uint32_t context);
// The topic a context number names.
HelpTopicId TopicOfContext(std::uint32_t context);
// Its page: HelpTopicFor(TopicOfContext(context)).
HelpTopic HelpTopicFor(std::uint32_t context);

// The page as one quoted argument: a double quote, "file:///", the path, the anchor and a
// closing double quote, every backslash turned into a forward slash. This is the text the
// "Cannot read file: " message shows when the handler could not be started.
std::string BuildHelpArgument(std::string_view page_path, std::string_view anchor);

// The Help folder of a program in program_folder: "Help" beside the program (a build tree),
// else "../share/corvane/Help" from the program's folder (an installed program). When neither
// exists, the one beside the program, so that a message names where the pages belong.
std::filesystem::path FindHelpFolder(const std::filesystem::path& program_folder);

}  // namespace corvane::desktop
