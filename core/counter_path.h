// Counter paths in the platform's form: "\\machine\Object(instance)\Counter".
// Pure functions over text; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

struct CounterPath {
  std::string machine;   // "\\host" with its leading backslashes, or empty for the local machine
  std::string object;    // "Processor"
  std::string instance;  // "0", "_Total"; empty when has_instance is false
  bool has_instance = false;
  std::string counter;  // "% Processor Time"

  bool operator==(const CounterPath&) const = default;
};

// Splits a path into its parts. The instance is the text between the "(" after the object
// name and the ")" right before the next backslash, so an instance may itself hold "(" or ")".
// Returns nothing when the path has no object or no counter, or its parentheses do not close.
std::optional<CounterPath> ParseCounterPath(std::string_view path);

// The inverse of ParseCounterPath.
std::string FormatCounterPath(const CounterPath& path);

// The machine part as the collector finds it: when the path starts with two backslashes and a
// third backslash follows later, the text before that third backslash (leading backslashes
// included); otherwise empty.
std::string_view MachinePart(std::string_view path);

// Case-insensitive ASCII comparison, the way counter, object and instance names match.
bool NamesEqual(std::string_view a, std::string_view b);

// A source's own name (a mount point, an interface, an exporter's label value) as the instance
// of a counter path: the characters a path cannot carry are replaced, "(" by "[", ")" by "]"
// and "\" by "_".
std::string InstanceName(std::string_view source_name);

// Points a path at another computer: the machine part ("\\host", up to the third backslash) is
// removed when there is one, then "\\" + computer is put in front unless computer is empty.
// A path "\\host" without a third backslash keeps its text. The computer is used as typed.
std::string RewriteCounterMachine(std::string_view path, std::string_view computer);

// Whether a path's instance names that source: both sides go through the replacements, so a
// path typed with the source's own "(" matches too; letter case is ignored. No allocation.
bool InstanceMatches(std::string_view source_name, std::string_view instance);

}  // namespace corvane
