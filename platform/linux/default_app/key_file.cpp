#include "platform/linux/default_app/key_file.h"

#include <fstream>
#include <sstream>

namespace corvane::desktop {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

KeyFile KeyFile::Parse(std::string_view text) {
  KeyFile file;
  std::map<std::string, std::string, std::less<>>* group = nullptr;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = &file.groups_[std::string(line.substr(1, line.size() - 2))];
      continue;
    }
    const std::size_t equals = line.find('=');
    if (group == nullptr || equals == std::string_view::npos) continue;
    const std::string key(Trim(line.substr(0, equals)));
    // The first occurrence of a key wins, as in the desktop entry rules.
    group->try_emplace(key, Trim(line.substr(equals + 1)));
  }
  return file;
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(text).str();
}

std::optional<KeyFile> KeyFile::Read(const std::filesystem::path& file) {
  const std::optional<std::string> text = ReadTextFile(file);
  if (!text) return std::nullopt;
  return Parse(*text);
}

bool KeyFile::HasGroup(std::string_view group) const { return groups_.contains(group); }

std::optional<std::string> KeyFile::Value(std::string_view group, std::string_view key) const {
  const auto g = groups_.find(group);
  if (g == groups_.end()) return std::nullopt;
  const auto k = g->second.find(key);
  if (k == g->second.end()) return std::nullopt;
  return k->second;
}

std::vector<std::string> KeyFile::List(std::string_view group, std::string_view key) const {
  std::vector<std::string> items;
  const std::optional<std::string> value = Value(group, key);
  if (!value) return items;
  std::string_view rest = *value;
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    const std::string_view item = Trim(rest.substr(0, end));
    if (!item.empty()) items.emplace_back(item);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return items;
}

}  // namespace corvane::desktop
