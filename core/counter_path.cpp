#include "core/counter_path.h"

#include <cctype>

namespace corvane {
namespace {

char PathCharacter(char c) {
  switch (c) {
    case '(':
      return '[';
    case ')':
      return ']';
    case '\\':
      return '_';
    default:
      return c;
  }
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view MachinePart(std::string_view path) {
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return {};
  const auto third = path.find('\\', 2);
  if (third == std::string_view::npos) return {};
  return path.substr(0, third);
}

std::optional<CounterPath> ParseCounterPath(std::string_view path) {
  CounterPath out;
  std::string_view rest = path;
  const std::string_view machine = MachinePart(path);
  if (!machine.empty()) {
    out.machine = std::string(machine);
    rest.remove_prefix(machine.size());
  }
  if (rest.empty() || rest[0] != '\\') return std::nullopt;
  rest.remove_prefix(1);

  const auto object_end = rest.find_first_of("(\\");
  if (object_end == std::string_view::npos || object_end == 0) return std::nullopt;
  out.object = std::string(rest.substr(0, object_end));
  rest.remove_prefix(object_end);

  if (rest[0] == '(') {
    const auto slash = rest.find('\\');
    if (slash == std::string_view::npos || slash < 2 || rest[slash - 1] != ')') return std::nullopt;
    out.instance = std::string(rest.substr(1, slash - 2));
    out.has_instance = true;
    rest.remove_prefix(slash);
  }
  // rest now starts with the backslash before the counter name.
  rest.remove_prefix(1);
  if (rest.empty()) return std::nullopt;
  out.counter = std::string(rest);
  return out;
}

std::string FormatCounterPath(const CounterPath& path) {
  std::string text = path.machine;
  text += '\\';
  text += path.object;
  if (path.has_instance) {
    text += '(';
    text += path.instance;
    text += ')';
  }
  text += '\\';
  text += path.counter;
  return text;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string InstanceName(std::string_view source_name) {
  std::string name(source_name);
  for (char& c : name) c = PathCharacter(c);
  return name;
}

bool InstanceMatches(std::string_view source_name, std::string_view instance) {
  if (source_name.size() != instance.size()) return false;
  for (std::size_t i = 0; i < instance.size(); ++i) {
    if (FoldCase(PathCharacter(source_name[i])) != FoldCase(PathCharacter(instance[i])))
      return false;
  }
  return true;
}

std::string RewriteCounterMachine(std::string_view path, std::string_view computer) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t k = path.find('\\', 2);
    if (k != std::string_view::npos) path.remove_prefix(k);
  }
  if (computer.empty()) return std::string(path);
  std::string result;
  result.reserve(2 + computer.size() + path.size());
  result.append("\\\\").append(computer).append(path);
  return result;
}

}  // namespace corvane
