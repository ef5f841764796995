// The wind rose of a recorded moment of the running profile's activity log, for the browser's
// slider: the log is read by the same recording reader corvsnap --log uses and drawn by the
// engine's drawing path into SVG or PNG, with the table rows of that moment. Owns a playback engine
// (with a provider that is never collected from) and the open recording, opened again when
// the log has grown since.
//
// Threads: the metrics server's thread only.
#pragma once

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
#include "service/rose_picture.h"

namespace corvane::service {

class RecordedRose {
 public:
  using MakeProvider = std::function<std::unique_ptr<perf::Provider>()>;

  // `profile` wrote `log`; an empty or unreadable profile: the log's own columns are the axes.
  RecordedRose(MakeProvider make_provider, std::string log, std::string profile);
  ~RecordedRose();

  // The log's range of time: from its first row to its last or to `now` (local seconds; the
  // time of the live sample, which the log is writing), whichever is later. Reads only the
  // log's beginning. Nothing with *error when it cannot be read or holds no row.
  std::optional<LogRange> Range(std::int64_t now, std::string* error);

  struct Picture {
    std::int64_t time = 0;  // the moment drawn, local seconds
    std::string image;      // as `render` drew it
    std::vector<RoseRow> rows;
    std::string note;  // "Recorded ..." and what the log kept
  };
  // The moment at `time` (local seconds) at width x height pixels, drawn by `render`, the log
  // indexed as far as it (a log that grew since it was opened is opened again); a time after
  // the last row shows that row. False with *error when the log cannot be read there or begins
  // later, or the picture cannot be drawn.
  bool Draw(std::int64_t time, int width, int height, const RosePicture::Render& render,
            Picture* picture, std::string* error);

  // A moment as the slider and the address give it: local seconds, or "YYYY-MM-DD HH:MM:SS".
  static std::optional<std::int64_t> ParseMoment(std::string_view text);

 private:
  static constexpr std::int64_t kIndexStepBytes = 16 << 20;

  // Opens the recording when it is not open or the log shrank (rotated); with `again`, also
  // when it changed size. False with *error.
  bool Open(bool again, std::string* error);
  // Indexes the recording until it reaches `time` or its end.
  void IndexUpTo(std::int64_t time);

  MakeProvider make_provider_;
  std::string log_;
  std::string profile_;
  std::unique_ptr<perf::Provider> provider_;  // before the engine: destroyed after it
  std::unique_ptr<Corvane> engine_;
  std::unique_ptr<recording::Recording> recording_;
  std::uintmax_t opened_size_ = 0;  // bytes of the log when the recording was opened
};

}  // namespace corvane::service
