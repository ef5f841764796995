// corvsnap --log: the wind rose of moments recorded in an activity log, drawn from the
// recording instead of from live counters. Main thread.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "core/perf_data.h"
#include "core/recording/recording.h"
#include "tools/corvsnap/snap_options.h"
#include "tools/corvsnap/snap_tool.h"

namespace corvane::corvsnap {

// "YYYY-MM-DD HH:MM:SS" or "+N" (seconds after the recording's start) as a time of the
// recording; nothing with the reason when it is neither or lies outside the recording.
std::optional<std::int64_t> ResolveMoment(const std::string& text,
                                          const recording::Recording& recording,
                                          std::string* error);

// The picture for picture number `number` of a series: "night.png" -> "night-000012.png".
std::filesystem::path NumberedOutput(const std::filesystem::path& output, int number);

// Draws the moment the options name (or every --every samples) and writes the pictures; names
// each written picture and its moment on `out`. Exit codes as RunSnapshot's.
int RunLogSnapshot(const SnapOptions& options, perf::Provider& provider, const PngWriter& png,
                   std::ostream& out, std::ostream& err);

}  // namespace corvane::corvsnap
