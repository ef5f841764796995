// The desktop's default program for a file type, found the way freedesktop.org desktops find
// it: the [Default Applications] of the mimeapps.list files (per-desktop lists first, user
// before system), then their [Added Associations] less the [Removed Associations], then the
// mimeinfo.cache of the application folders. An entry counts only when its desktop file is
// installed, not hidden, a program, and its TryExec program exists.
// FindDefaultApplication reads files; any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/default_app/desktop_entry.h"

namespace corvane::desktop {

struct XdgFolders {
  std::filesystem::path config_home;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::filesystem::path> config_dirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
  std::filesystem::path data_home;                 // $XDG_DATA_HOME, else ~/.local/share
  std::vector<std::filesystem::path> data_dirs;  // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
  std::vector<std::string> desktops;             // $XDG_CURRENT_DESKTOP, lower case
  std::string path;                              // $PATH, for TryExec

  static XdgFolders FromEnvironment();
};

// The desktop file of the id ("org.example.Browser.desktop"), also where a '-' of the id
// stands for a sub-folder of an applications folder.
std::optional<std::filesystem::path> FindDesktopFile(const XdgFolders& folders,
                                                     std::string_view desktop_id);

std::optional<DesktopEntry> FindDefaultApplication(const XdgFolders& folders,
                                                   std::string_view mime_type);

// A program name looked up in a ':'-separated search path; a name with a '/' is taken as it is.
// Empty when it is not an executable file.
std::filesystem::path FindProgram(std::string_view program, std::string_view search_path);

}  // namespace corvane::desktop
