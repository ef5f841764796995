// corvquery: lists a machine's objects and counter paths, and prints counters as CSV.
// Runs on the calling thread; the provider is used from that thread only.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <span>
#include <string_view>

#include "core/perf_data.h"

namespace corvane::corvquery {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // no provider, no query, a failed listing or write
inline constexpr int kExitUsage = 2;    // a bad option, path, object or machine

// What the tool waits with and reads the clock from; tests replace both.
struct QueryToolHooks {
  std::function<void(std::chrono::microseconds)> sleep;        // default: sleep the thread
  std::function<std::chrono::system_clock::time_point()> now;  // default: the system clock
};

// Runs one command line (without the program name) against `provider`, which may be null when
// the system has none (only --help and command-line errors work then). Rows go to `out`, each
// flushed as soon as it is complete; messages go to `err`. Returns the exit status.
int RunQueryTool(std::span<const std::string_view> args, perf::Provider* provider,
                 std::ostream& out, std::ostream& err, const QueryToolHooks& hooks = {});

}  // namespace corvane::corvquery
