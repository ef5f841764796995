// corvsnap's whole run, for main and the tests: ready an engine for the profile, sample,
// draw, write the picture. Main thread.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine.h"
#include "core/perf_data.h"
#include "tools/corvsnap/snap_options.h"

namespace corvane::corvsnap {

// Writes the engine's picture as a PNG file; false with the reason. Empty where the program
// was built without Qt.
using PngWriter =
    std::function<bool(Corvane& engine, const SnapOptions& options, std::string* error)>;

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the profile, the collector or the output failed
inline constexpr int kExitUsage = 2;    // the command line is wrong

// Runs one snapshot with the given options. Reports on `err` as "corvsnap: <reason>".
int RunSnapshot(const SnapOptions& options, perf::Provider& provider, const PngWriter& png,
                std::ostream& err);

// Parses the arguments (without the program name) and runs; prints the usage on `out` for
// --help and on `err` after a wrong command line.
int RunSnapTool(const std::vector<std::string_view>& args, perf::Provider& provider,
                const PngWriter& png, std::ostream& out, std::ostream& err);

}  // namespace corvane::corvsnap
