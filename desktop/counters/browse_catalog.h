// What the counter browser lists for one machine: its objects with their counters and
// instances, read from a provider in one pass, and the paths a choice among them makes.
// Plain values and pure functions; EnumerateMachine may block on the network (call it off the
// GUI thread for a remote machine), the rest is any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"

namespace corvane::desktop {

struct BrowseObject {
  std::string name;                    // "Processor"
  std::vector<std::string> counters;   // in the provider's order
  std::vector<std::string> instances;  // the machine's order, "_Total" last where there is one
  bool has_instances = false;          // false: the object's paths carry no instance
};

struct BrowseCatalog {
  std::string machine;  // the machine part the paths get ("\\host:9100"), empty for local
  perf::Status status = perf::kOk;
  std::string error;  // when status is not kOk: what failed, naming the address and reason
  std::vector<BrowseObject> objects;
};

// The machine part a typed computer name gives: "" for an empty name (the local machine),
// otherwise "\\" and the name with surrounding blanks and leading backslashes removed
// ("srv1", "\\srv1", "srv1:9100", "https://srv1:9100" all work).
std::string MachinePartOf(std::string_view typed);

// Lists every object of the machine with its counters and instances. An object whose items
// cannot be read is left out; a costly object only when include_costly is set. When the
// machine cannot be enumerated at all the catalogue carries the status and the reason.
// When `stopped` answers true (asked before each object's items are read) the listing ends
// there with the objects read so far.
BrowseCatalog EnumerateMachine(perf::Provider& provider, std::string_view machine,
                               bool include_costly, const std::function<bool()>& stopped = {});

// The full paths chosen: every counter with every instance, counters outer, in the order
// given. An object without instances gives one path per counter.
std::vector<std::string> ChosenPaths(std::string_view machine, const BrowseObject& object,
                                     const std::vector<std::string>& counters,
                                     const std::vector<std::string>& instances);

// Case-insensitive substring match of a filter typed into the browser; an empty or blank
// filter matches everything.
bool FilterMatches(std::string_view filter, std::string_view name);

// Whether an object stays listed under the filter: its own name or one of its counters matches.
bool ObjectMatches(std::string_view filter, const BrowseObject& object);

}  // namespace corvane::desktop
