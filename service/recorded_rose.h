// The wind rose of a recorded moment of the running profile's activity log, for the browser's
// slider: the log is read by the same recording reader corvsnap --log uses and drawn by the
// engine's drawing path into SVG, with the table rows of that moment. Owns a playback engine
// (with a provider that is never collected from) and the open recording, opened again when
// the log has grown since.
//
// Threads: the metrics server's thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/engine.h"
#include "core/perf_data.h"
#include "core/recording/recording.h"
#include "service/rose_page.h"

namespace corvane::service {

class RecordedRose {
 public:
  using MakeProvider = std::function<std::unique_ptr<perf::Provider>()>;

  // `profile` wrote `log`; an empty or unreadable profile: the log's own columns are the axes.
  RecordedRose(MakeProvider make_provider, std::string log, std::string profile);
  ~RecordedRose();

  // The log's range of time; nothing with *error when it cannot be read or holds no row.
  std::optional<LogRange> Range(std::string* error);

  struct Picture {
    std::int64_t time = 0;  // the moment drawn, local seconds
    std::string svg;
    std::vector<RoseRow> rows;
    std::string note;  // "Recorded ..." and what the log kept
  };
  // The moment at `time` (local seconds, within Range) at width x height pixels; false with
  // *error when the log cannot be read there.
  bool Draw(std::int64_t time, int width, int height, Picture* picture, std::string* error);

  // A moment as the slider and the address give it: local seconds, or "YYYY-MM-DD HH:MM:SS".
  static std::optional<std::int64_t> ParseMoment(std::string_view text);

 private:
  // Opens the recording when it is not open, or when the log changed size and the last
  // opening is a while ago (a log grows at every sample; reading it all again each time would
  // cost more than the sampling); false with *error.
  bool Refresh(std::string* error);

  MakeProvider make_provider_;
  std::string log_;
  std::string profile_;
  std::unique_ptr<perf::Provider> provider_;  // before the engine: destroyed after it
  std::unique_ptr<Corvane> engine_;
  std::unique_ptr<recording::Recording> recording_;
  std::uintmax_t opened_size_ = 0;  // bytes of the log when the recording was opened
  std::chrono::steady_clock::time_point opened_at_;
};

}  // namespace corvane::service
