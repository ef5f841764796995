// One recording: an activity log (and the backup kept before it, read as one stretch of time)
// opened for playback. Owns the files, an index of every row's place and time built in pieces
// as the caller asks, and checkpoints of the counters' statistics, so that the moment at any
// time is rebuilt by reading a few thousand rows at most. The values, averages and maxima of a
// moment come from the engine's own statistics (EngineStatistics) fed with the recorded
// samples.
//
// Threads: not thread-safe. One thread opens, indexes and reads it (a GUI moves the indexing
// to a worker and hands the whole object over, or guards it with a lock of its own).
//
// Damage: a line that breaks the log's grammar ends the recording there; damage() names the
// file and the line, and every row before it stays readable.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/engine_statistics.h"
#include "core/recording/line_reader.h"
#include "core/recording/local_seconds.h"
#include "core/recording/log_parser.h"
#include "core/recording/recording_settings.h"

namespace corvane::recording {

// One axis at one moment.
struct MomentValue {
  bool available = false;
  double shown = 0.0;            // the value as the log shows it (display units)
  double raw = 0.0;              // the reading behind it (counter units)
  bool logged_critical = false;  // HTML: the log marked the cell critical
  double maximum = 0.0;          // counter units, as the engine's statistics had it then
  double average = 0.0;          // counter units, over the History samples before and at it
};

struct Moment {
  std::int64_t time = 0;  // local seconds (local_seconds.h)
  std::size_t row = 0;    // the row in force at that time
  // The log kept only the moments at which a counter's state changed: values between rows
  // are those of the earlier row, but a change of value alone would not have been written.
  bool states_only = false;
  std::vector<MomentValue> values;
};

class Recording {
 public:
  // Opens the log at `path` and, when it is the current log and its backup exists beside it,
  // the backup as the recording's first part. `settings` come from the profile; without them
  // the axes are the first banner's column headings with the default scale. Reads the files'
  // beginnings only. Nothing, with the reason, when the file cannot be read or is no log.
  static std::unique_ptr<Recording> Open(const std::string& path,
                                         std::optional<RecordingSettings> settings,
                                         std::string* error);

  // Indexes up to about `bytes` more bytes of the files; true once the whole recording is
  // indexed (or the index stopped at damage).
  bool IndexSome(std::int64_t bytes);
  void IndexAll() {
    while (!IndexSome(std::int64_t{64} << 20)) {
    }
  }
  bool indexed() const { return done_; }

  // Empty while the log is sound; else "<file>: line N: <why>".
  const std::string& damage() const { return damage_; }

  LogKind kind() const { return kind_; }
  const RecordingSettings& settings() const { return settings_; }
  // The log mode the recording was written in: the last banner's (HTML), else the profile's.
  int mode() const;
  bool states_only() const { return mode() == 3; }
  const std::vector<std::string>& files() const { return paths_; }

  std::size_t RowCount() const { return offsets_.size(); }
  std::int64_t RowTime(std::size_t row) const { return base_time_ + times_[row]; }
  std::int64_t StartTime() const { return RowCount() ? RowTime(0) : base_time_; }
  std::int64_t EndTime() const { return RowCount() ? RowTime(RowCount() - 1) : base_time_; }
  // The last row at or before `time` (the first row for an earlier time). RowCount() > 0.
  std::size_t RowAt(std::int64_t time) const;

  // The cells of one indexed row; false with the reason when the file changed under it.
  bool ReadRow(std::size_t row, Row* out, std::string* error);

  // The moment at `time`: the row in force, its values and the statistics of the samples up
  // to it. RowCount() > 0. False with the reason when a row cannot be read back.
  bool MomentAt(std::int64_t time, Moment* moment, std::string* error);

  // Bytes the index holds, for the benchmark.
  std::size_t IndexBytes() const;

 private:
  static constexpr std::size_t kCheckpointRows = 4096;
  static constexpr std::uint64_t kFileBit = std::uint64_t{1} << 63;

  struct Session {
    std::size_t first_row = 0;
    std::size_t chain_row = 0;  // where its statistics began (earlier when it continues)
    int mode = 0;
  };
  struct Checkpoint {
    std::size_t row = 0;  // the statistics before this row's samples
    EngineStatistics statistics;
  };
  struct Part {
    std::string path;
    LineReader reader;
    LogParser parser;
    std::int64_t line = 0;
    bool finished = false;
  };

  Recording() = default;
  bool OpenPart(const std::string& path, std::string* error);
  // False (with damage_ saying why) when the banner does not fit the recording's axes.
  bool OnBanner(const Banner& banner);
  void OnRow(const Row& row, std::size_t part);
  // How many samples a row stood for, given the time of the next row.
  std::int64_t SamplesOf(std::size_t row, std::int64_t next_time) const;
  int SessionMode(std::size_t row) const;
  const Session& SessionOf(std::size_t row) const;
  void Feed(EngineStatistics& statistics, const std::vector<Cell>& cells, std::int64_t samples,
            std::vector<EngineStatistics::Stored>* last) const;

  RecordingSettings settings_;
  LogKind kind_ = LogKind::kCsv;
  bool kind_known_ = false;
  // The axes are fixed by the profile or by the first banner, even one that names none.
  bool axes_known_ = false;
  std::vector<std::string> paths_;
  std::vector<std::unique_ptr<Part>> parts_;
  std::size_t part_ = 0;  // the part being indexed
  bool done_ = false;
  std::string damage_;

  // The index: per row its place (part in the top bit) and its time after base_time_.
  std::int64_t base_time_ = 0;
  bool has_base_ = false;
  std::vector<std::uint64_t> offsets_;
  std::vector<std::uint32_t> times_;
  std::vector<Session> sessions_;
  std::vector<Checkpoint> checkpoints_;

  // Indexing state.
  int year_ = 1970;
  int last_month_ = 0;
  std::int64_t last_time_ = 0;
  std::optional<Banner> pending_banner_;
  EngineStatistics statistics_;
  std::vector<Cell> pending_cells_;  // the last row's cells, fed once the next row's time is known
  bool has_pending_ = false;
  std::vector<EngineStatistics::Stored> scratch_;

  // Reads `row` with `parser` (made for this recording's kind and columns): straight on when
  // the reader stands at the row (after the row before it, or a seek there), else from the
  // row's offset with the parser made afresh. The row is valid until the parser's next one.
  const Row* NextRow(std::size_t row, LogParser& parser, std::string* error);

  LineReader random_;  // for ReadRow and MomentAt
  std::size_t random_part_ = SIZE_MAX;
};

}  // namespace corvane::recording
