#include "core/perf_names.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <utility>

namespace corvane::perf {
namespace {

// Only indexes confirmed against Windows sources; names without a confirmed index are reached
// by name. Sorted by index.
constexpr std::array<std::pair<std::uint32_t, std::string_view>, 37> kNames{{
    {2, "System"},
    {4, "Memory"},
    {6, "% Processor Time"},
    {16, "File Read Bytes/sec"},
    {18, "File Write Bytes/sec"},
    {24, "Available Bytes"},
    {26, "Committed Bytes"},
    {30, "Commit Limit"},
    {44, "Processor Queue Length"},
    {144, "% Privileged Time"},
    {146, "Context Switches/sec"},
    {200, "% Disk Time"},
    {208, "Avg. Disk sec/Read"},
    {210, "Avg. Disk sec/Write"},
    {234, "PhysicalDisk"},
    {236, "LogicalDisk"},
    {238, "Processor"},
    {248, "Processes"},
    {250, "Threads"},
    {260, "Objects"},
    {264, "Bytes Received/sec"},
    {314, "Server Sessions"},
    {330, "Server"},
    {388, "Bytes Total/sec"},
    {408, "% Free Space"},
    {410, "Free Megabytes"},
    {506, "Bytes Sent/sec"},
    {510, "Network Interface"},
    {520, "Current Bandwidth"},
    {674, "System Up Time"},
    {700, "Paging File"},
    {702, "% Usage"},
    {1350, "% Registry Quota In Use"},
    {1400, "Avg. Disk Queue Length"},
    {1402, "Avg. Disk Read Queue Length"},
    {1404, "Avg. Disk Write Queue Length"},
    {1406, "% Committed Bytes In Use"},
}};

static_assert(std::is_sorted(kNames.begin(), kNames.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; }));

bool ResolveOne(std::string* name) {
  if (name->empty() ||
      !std::all_of(name->begin(), name->end(), [](char c) { return c >= '0' && c <= '9'; }))
    return true;
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(name->data(), name->data() + name->size(), number);
  if (error != std::errc() || end != name->data() + name->size()) return false;
  const std::string_view english = EnglishName(number);
  if (english.empty()) return false;
  *name = std::string(english);
  return true;
}

}  // namespace

std::string_view EnglishName(std::uint32_t index) {
  const auto it =
      std::lower_bound(kNames.begin(), kNames.end(), index,
                       [](const auto& entry, std::uint32_t i) { return entry.first < i; });
  if (it == kNames.end() || it->first != index) return {};
  return it->second;
}

bool ResolveNumericNames(CounterPath* path) {
  return ResolveOne(&path->object) && ResolveOne(&path->counter);
}

}  // namespace corvane::perf
