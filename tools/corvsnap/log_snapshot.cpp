#include "tools/corvsnap/log_snapshot.h"

#include <charconv>
#include <cstdio>

#include "core/recording/local_seconds.h"
#include "core/recording/moment_chart.h"
#include "core/recording/recording_engine.h"
#include "tools/corvsnap/snapshot.h"

namespace corvane::corvsnap {
namespace {

using recording::FormatLocalSeconds;
using recording::Recording;

// Reads the recording far enough to know `time`'s row (all of it for times near the end).
void IndexUpTo(Recording& recording, std::int64_t time) {
  while (!recording.indexed() && recording.EndTime() < time) recording.IndexSome(16 << 20);
}

}  // namespace

std::optional<std::int64_t> ResolveMoment(const std::string& text, const Recording& recording,
                                          std::string* error) {
  std::optional<std::int64_t> time;
  if (!text.empty() && text[0] == '+') {
    std::int64_t seconds = 0;
    const auto [end, failure] =
        std::from_chars(text.data() + 1, text.data() + text.size(), seconds);
    if (failure == std::errc() && end == text.data() + text.size() && text.size() > 1 &&
        seconds >= 0)
      time = recording.StartTime() + seconds;
  } else {
    time = recording::ParseLocalSeconds(text);
  }
  if (!time) {
    *error = "--at: \"" + text + "\" is neither a local time YYYY-MM-DD HH:MM:SS nor +N seconds";
    return std::nullopt;
  }
  if (*time < recording.StartTime() || (recording.indexed() && *time > recording.EndTime())) {
    *error = "--at: " + FormatLocalSeconds(*time) + " lies outside the recording (" +
             FormatLocalSeconds(recording.StartTime()) + " to " +
             FormatLocalSeconds(recording.EndTime()) + ")";
    return std::nullopt;
  }
  return time;
}

std::filesystem::path NumberedOutput(const std::filesystem::path& output, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "-%06d", number);
  std::filesystem::path numbered = output;
  numbered.replace_filename(output.stem().string() + digits + output.extension().string());
  return numbered;
}

int RunLogSnapshot(const SnapOptions& options, perf::Provider& provider, const PngWriter& png,
                   std::ostream& out, std::ostream& err) {
  if (options.format == ImageFormat::kPng && !png) {
    err << "corvsnap: this corvsnap was built without Qt and writes SVG only; name the output "
           "*.svg\n";
    return kExitFailure;
  }
  const std::string log = options.log->string();
  std::optional<std::filesystem::path> profile = options.profile;
  if (!options.profile_given) profile = recording::ProfileBesideLog(*options.log);

  Corvane engine(provider, /*interactive=*/false);
  std::string error;
  std::optional<recording::RecordingSettings> settings;
  if (profile) {
    if (!PrepareEngine(engine, profile, &error)) {
      err << "corvsnap: " << error << '\n';
      return kExitFailure;
    }
    settings = recording::SettingsFromEngine(engine);
  }
  std::unique_ptr<Recording> recording = Recording::Open(log, settings, &error);
  if (!recording) {
    err << "corvsnap: " << error << '\n';
    return kExitFailure;
  }
  if (!profile) recording::UseLogColumns(engine, recording->settings());

  std::int64_t first = 0;
  if (options.at) {
    // A time is checked against the whole recording once its end is known.
    std::optional<std::int64_t> time = ResolveMoment(*options.at, *recording, &error);
    if (time) {
      IndexUpTo(*recording, *time);
      time = ResolveMoment(*options.at, *recording, &error);
    }
    if (!time) {
      err << "corvsnap: " << error << '\n';
      return kExitFailure;
    }
    first = *time;
  } else {
    first = options.every > 0 ? recording->StartTime() : INT64_MAX;
  }
  if (first == INT64_MAX || options.every > 0) recording->IndexAll();
  if (first == INT64_MAX) first = recording->EndTime();
  if (!recording->damage().empty()) {
    err << "corvsnap: warning: " << recording->damage() << "; the recording ends there\n";
  }

  const auto draw = [&](std::int64_t time, const std::filesystem::path& output) {
    recording::Moment moment;
    std::string draw_error;
    if (!recording->MomentAt(time, &moment, &draw_error)) {
      err << "corvsnap: " << draw_error << '\n';
      return false;
    }
    recording::ShowMoment(engine, moment);
    bool written = false;
    if (options.format == ImageFormat::kPng) {
      SnapOptions picture = options;
      picture.output = output;
      written = png(engine, picture, &draw_error);
    } else {
      written = WritePicture(output, RenderSvg(engine, options.width, options.height), &draw_error);
    }
    if (!written) {
      err << "corvsnap: " << draw_error << '\n';
      return false;
    }
    out << output.string() << ": " << recording::DescribeMoment(moment) << '\n';
    return true;
  };

  if (options.every == 0) return draw(first, options.output) ? kExitOk : kExitFailure;

  // Every N samples: the rows themselves where every sample was written, else N intervals.
  int number = 1;
  if (recording->mode() == 1 || recording->mode() == 0) {
    for (std::size_t row = recording->RowAt(first); row < recording->RowCount();
         row += static_cast<std::size_t>(options.every)) {
      if (!draw(recording->RowTime(row), NumberedOutput(options.output, number++)))
        return kExitFailure;
    }
  } else {
    const std::int64_t step =
        static_cast<std::int64_t>(options.every) * std::max(recording->settings().interval, 1);
    for (std::int64_t time = first; time <= recording->EndTime(); time += step) {
      if (!draw(time, NumberedOutput(options.output, number++))) return kExitFailure;
    }
  }
  return kExitOk;
}

}  // namespace corvane::corvsnap
