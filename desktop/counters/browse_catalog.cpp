#include "desktop/counters/browse_catalog.h"

#include <algorithm>
#include <cctype>

#include "core/counter_descriptions.h"
#include "core/counter_path.h"

namespace corvane::desktop {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::string MachinePartOf(std::string_view typed) {
  std::string_view name = Trimmed(typed);
  while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (name.empty()) return {};
  return "\\\\" + std::string(name);
}

BrowseCatalog EnumerateMachine(perf::Provider& provider, std::string_view machine,
                               bool include_costly, const std::function<bool()>& stopped) {
  BrowseCatalog catalog;
  catalog.machine = std::string(machine);
  std::vector<std::string> names;
  catalog.status = provider.EnumObjects(machine, &names);
  if (catalog.status != perf::kOk) {
    std::string reason = provider.MachineError(machine);
    if (reason.empty()) reason = std::string(perf::StatusText(catalog.status));
    catalog.error = reason;
    return catalog;
  }
  for (std::string& name : names) {
    if (stopped && stopped()) break;
    if (!include_costly && IsCostlyObject(name)) continue;
    BrowseObject object;
    object.name = std::move(name);
    if (provider.EnumObjectItems(machine, object.name, &object.counters, &object.instances) !=
            perf::kOk ||
        object.counters.empty())
      continue;
    object.has_instances = !object.instances.empty();
    catalog.objects.push_back(std::move(object));
  }
  return catalog;
}

std::vector<std::string> ChosenPaths(std::string_view machine, const BrowseObject& object,
                                     const std::vector<std::string>& counters,
                                     const std::vector<std::string>& instances) {
  std::vector<std::string> paths;
  CounterPath path;
  path.machine = std::string(machine);
  path.object = object.name;
  for (const std::string& counter : counters) {
    path.counter = counter;
    if (!object.has_instances) {
      path.has_instance = false;
      path.instance.clear();
      paths.push_back(FormatCounterPath(path));
      continue;
    }
    for (const std::string& instance : instances) {
      path.has_instance = true;
      path.instance = instance;
      paths.push_back(FormatCounterPath(path));
    }
  }
  return paths;
}

bool FilterMatches(std::string_view filter, std::string_view name) {
  filter = Trimmed(filter);
  if (filter.empty()) return true;
  const auto it = std::search(name.begin(), name.end(), filter.begin(), filter.end(),
                              [](char a, char b) { return Lower(a) == Lower(b); });
  return it != name.end();
}

bool ObjectMatches(std::string_view filter, const BrowseObject& object) {
  if (FilterMatches(filter, object.name)) return true;
  return std::any_of(
      object.counters.begin(), object.counters.end(),
      [filter](const std::string& counter) { return FilterMatches(filter, counter); });
}

}  // namespace corvane::desktop
