// A freedesktop.org desktop entry (the .desktop file naming a program and how to start it) and
// its Exec line turned into an argument vector for one URL. Pure functions apart from
// ReadDesktopEntry, which reads the file; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::desktop {

struct DesktopEntry {
  std::string type;      // "Application" for a program
  std::string name;      // Name
  std::string icon;      // Icon
  std::string exec;      // Exec, with the value escapes (\s, \n, \t, \r, \\) already undone
  std::string try_exec;  // TryExec: a program that must exist for the entry to count
  bool terminal = false;
  bool hidden = false;  // Hidden=true: the entry is deleted as far as menus and defaults go
  std::filesystem::path file;
};

// The keys of the [Desktop Entry] group; nullopt when the text has no such group.
std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text);
std::optional<DesktopEntry> ReadDesktopEntry(const std::filesystem::path& file);

// The Exec line split into arguments by its quoting rules, with the field codes filled in for
// one document: %u and %U become url, %f and %F local_file (empty: dropped), %i the icon as
// "--icon" and its name, %c the name, %k the entry's file, %% a percent sign; the deprecated
// codes vanish. When the line takes no document at all, url is appended, as desktops do.
// nullopt for a line with an unclosed quote, a bad escape or no program.
std::optional<std::vector<std::string>> ExpandExec(const DesktopEntry& entry, std::string_view url,
                                                   std::string_view local_file);

}  // namespace corvane::desktop
