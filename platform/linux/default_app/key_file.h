// The "[Group]" and "key=value" text of desktop entries, mimeapps.list and mimeinfo.cache.
// Comments (#) and blank lines are skipped, spaces around '=' dropped, localized keys
// ("Name[de]") kept under their full name. Pure; any thread.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::desktop {

// The whole file, nullopt when it cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& file);

class KeyFile {
 public:
  static KeyFile Parse(std::string_view text);
  // nullopt when the file cannot be read.
  static std::optional<KeyFile> Read(const std::filesystem::path& file);

  bool HasGroup(std::string_view group) const;
  // The first value of the key in the group, nullopt when there is none.
  std::optional<std::string> Value(std::string_view group, std::string_view key) const;
  // A ';'-separated list value, without empty items.
  std::vector<std::string> List(std::string_view group, std::string_view key) const;

 private:
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> groups_;
};

}  // namespace corvane::desktop
