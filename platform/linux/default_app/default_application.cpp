#include "platform/linux/default_app/default_application.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>

#include "platform/linux/default_app/key_file.h"

namespace corvane::desktop {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const std::size_t end = text.find(separator);
    if (end != 0) items.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return items;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// An unset or relative XDG variable is ignored, as the base directory rules say.
std::vector<fs::path> AbsoluteFolders(std::string_view text, std::vector<fs::path> fallback) {
  std::vector<fs::path> folders;
  for (const std::string& item : SplitList(text, ':'))
    if (fs::path(item).is_absolute()) folders.emplace_back(item);
  return folders.empty() ? fallback : folders;
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

std::vector<fs::path> ApplicationFolders(const XdgFolders& folders) {
  std::vector<fs::path> result{folders.data_home / "applications"};
  for (const fs::path& dir : folders.data_dirs) result.push_back(dir / "applications");
  return result;
}

// The mimeapps.list files from the most to the least important.
std::vector<fs::path> MimeAppsLists(const XdgFolders& folders) {
  std::vector<fs::path> bases{folders.config_home};
  bases.insert(bases.end(), folders.config_dirs.begin(), folders.config_dirs.end());
  bases.push_back(folders.data_home / "applications");
  for (const fs::path& dir : folders.data_dirs) bases.push_back(dir / "applications");
  std::vector<fs::path> lists;
  for (const fs::path& base : bases) {
    for (const std::string& desktop : folders.desktops)
      lists.push_back(base / (desktop + "-mimeapps.list"));
    lists.push_back(base / "mimeapps.list");
  }
  return lists;
}

std::optional<fs::path> FindIn(const fs::path& folder, std::string_view id) {
  if (IsFile(folder / id)) return folder / id;
  for (std::size_t dash = id.find('-'); dash != std::string_view::npos;
       dash = id.find('-', dash + 1)) {
    const fs::path sub = folder / id.substr(0, dash);
    if (IsFolder(sub))
      if (std::optional<fs::path> found = FindIn(sub, id.substr(dash + 1))) return found;
  }
  return std::nullopt;
}

std::optional<DesktopEntry> UsableEntry(const XdgFolders& folders, std::string_view id) {
  const std::optional<fs::path> file = FindDesktopFile(folders, id);
  if (!file) return std::nullopt;
  std::optional<DesktopEntry> entry = ReadDesktopEntry(*file);
  if (!entry || entry->hidden || entry->type != "Application" || entry->exec.empty())
    return std::nullopt;
  if (!entry->try_exec.empty() && FindProgram(entry->try_exec, folders.path).empty())
    return std::nullopt;
  return entry;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  const fs::path home = Environment("HOME");
  XdgFolders folders;
  const std::vector<fs::path> config_home =
      AbsoluteFolders(Environment("XDG_CONFIG_HOME"), {home / ".config"});
  folders.config_home = config_home.front();
  folders.config_dirs = AbsoluteFolders(Environment("XDG_CONFIG_DIRS"), {"/etc/xdg"});
  const std::vector<fs::path> data_home =
      AbsoluteFolders(Environment("XDG_DATA_HOME"), {home / ".local" / "share"});
  folders.data_home = data_home.front();
  folders.data_dirs =
      AbsoluteFolders(Environment("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
  for (std::string desktop : SplitList(Environment("XDG_CURRENT_DESKTOP"), ':')) {
    std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    folders.desktops.push_back(std::move(desktop));
  }
  folders.path = Environment("PATH");
  return folders;
}

std::optional<fs::path> FindDesktopFile(const XdgFolders& folders, std::string_view desktop_id) {
  if (desktop_id.empty() || desktop_id.find('/') != std::string_view::npos) return std::nullopt;
  for (const fs::path& folder : ApplicationFolders(folders))
    if (std::optional<fs::path> found = FindIn(folder, desktop_id)) return found;
  return std::nullopt;
}

std::optional<DesktopEntry> FindDefaultApplication(const XdgFolders& folders,
                                                   std::string_view mime_type) {
  std::vector<KeyFile> lists;
  for (const fs::path& file : MimeAppsLists(folders))
    if (std::optional<KeyFile> list = KeyFile::Read(file)) lists.push_back(std::move(*list));

  for (const KeyFile& list : lists)
    for (const std::string& id : list.List("Default Applications", mime_type))
      if (std::optional<DesktopEntry> entry = UsableEntry(folders, id)) return entry;

  // No default: the most preferred association, in the same order, unless a more important
  // list removed it. Removals in a list apply to that list and the less important ones.
  std::vector<std::string> removed;
  const auto is_removed = [&removed](const std::string& id) {
    return std::find(removed.begin(), removed.end(), id) != removed.end();
  };
  for (const KeyFile& list : lists) {
    for (const std::string& id : list.List("Removed Associations", mime_type))
      removed.push_back(id);
    for (const std::string& id : list.List("Added Associations", mime_type))
      if (!is_removed(id))
        if (std::optional<DesktopEntry> entry = UsableEntry(folders, id)) return entry;
  }
  for (const fs::path& folder : ApplicationFolders(folders)) {
    const std::optional<KeyFile> cache = KeyFile::Read(folder / "mimeinfo.cache");
    if (!cache) continue;
    for (const std::string& id : cache->List("MIME Cache", mime_type))
      if (!is_removed(id))
        if (std::optional<DesktopEntry> entry = UsableEntry(folders, id)) return entry;
  }
  return std::nullopt;
}

fs::path FindProgram(std::string_view program, std::string_view search_path) {
  const auto executable = [](const fs::path& path) {
    return IsFile(path) && ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return {};
  if (program.find('/') != std::string_view::npos)
    return executable(fs::path(program)) ? fs::path(program) : fs::path();
  for (const std::string& dir : SplitList(search_path, ':')) {
    const fs::path candidate = fs::path(dir) / program;
    if (executable(candidate)) return candidate;
  }
  return {};
}

}  // namespace corvane::desktop
