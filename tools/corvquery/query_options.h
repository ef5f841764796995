// corvquery's command line: what to do, on which counters, how often.
// Pure functions; any thread.
#pragma once

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::corvquery {

enum class Mode {
  kHelp,          // --help: print the usage
  kVersion,       // --version: print the version
  kListMachines,  // --prometheus URL --list: the server's instances
  kListObjects,   // --list: the machine's objects
  kListObject,    // --list OBJECT: every counter path of one object
  kSample,        // PATH...: CSV rows of values
};

inline constexpr int kDefaultSamples = 1;
inline constexpr std::chrono::microseconds kDefaultInterval{1'000'000};
inline constexpr std::chrono::microseconds kMinInterval{1'000};           // 0.001 s
inline constexpr std::chrono::microseconds kMaxInterval{86'400'000'000};  // one day

struct QueryOptions {
  Mode mode = Mode::kSample;
  std::vector<std::string> paths;  // kSample: the counter paths, in column order
  std::string object;              // kListObject
  std::string machine;             // --list: "\\host", or empty for this machine
  std::string server;              // --prometheus: remote machines through this server
  int samples = kDefaultSamples;   // kSample: rows to print
  std::chrono::microseconds interval = kDefaultInterval;  // kSample: time between collections
};

struct ParsedArgs {
  QueryOptions options;
  std::string error;  // empty when the command line is sound; else what is wrong with it
};

// Options may come before, between or after the paths; "--name=value" equals "--name value";
// "--" ends the options; a later option of the same name wins. --help wins over everything
// before "--", even over errors.
ParsedArgs ParseQueryArgs(std::span<const std::string_view> args);

// The text --help prints.
std::string_view UsageText();

}  // namespace corvane::corvquery
