#include "core/recording/recording.h"

#include <algorithm>
#include <filesystem>

namespace corvane::recording {

std::unique_ptr<Recording> Recording::Open(const std::string& path,
                                           std::optional<RecordingSettings> settings,
                                           std::string* error) {
  std::unique_ptr<Recording> recording(new Recording());
  if (settings) recording->settings_ = std::move(*settings);

  const std::filesystem::path log(path);
  const std::string stem = log.stem().string();
  if (stem.ends_with("-log")) {
    const std::filesystem::path backup =
        log.parent_path() / (stem + "-bkup" + log.extension().string());
    std::error_code ignored;
    std::string backup_error;
    if (std::filesystem::is_regular_file(backup, ignored))
      recording->OpenPart(backup.string(), &backup_error);  // a broken backup is left out
  }
  if (!recording->OpenPart(path, error)) return nullptr;

  // The beginning: the first banner and the first row, enough for a first chart.
  while (recording->RowCount() == 0 && !recording->IndexSome(64 * 1024)) {
  }
  if (recording->RowCount() == 0) {
    *error = recording->damage_.empty() ? path + ": the log holds no rows yet" : recording->damage_;
    return nullptr;
  }
  return recording;
}

bool Recording::OpenPart(const std::string& path, std::string* error) {
  auto part = std::make_unique<Part>();
  part->path = path;
  if (!part->reader.Open(path, error)) return false;
  paths_.push_back(path);
  parts_.push_back(std::move(part));
  return true;
}

int Recording::mode() const {
  if (!sessions_.empty() && sessions_.back().mode != 0) return sessions_.back().mode;
  return settings_.mode;
}

bool Recording::IndexSome(std::int64_t bytes) {
  while (!done_) {
    if (part_ >= parts_.size()) {
      if (has_pending_) Feed(statistics_, pending_cells_, 1, nullptr);
      has_pending_ = false;
      done_ = true;
      break;
    }
    Part& part = *parts_[part_];
    const std::int64_t start = part.reader.position();
    std::string_view line;
    std::int64_t offset = 0;
    bool ended = true;
    LogParser::Event event = LogParser::Event::kNone;
    switch (part.reader.Read(&line, &offset, &ended)) {
      case LineReader::Next::kLine:
        ++part.line;
        if (!ended && part.parser.kind() == LogKind::kCsv) {
          damage_ = part.path + ": line " + std::to_string(part.line) +
                    ": the last line is cut off (it has no line end)";
          done_ = true;
          break;
        }
        event = part.parser.Feed(line, offset, part.line);
        if (event == LogParser::Event::kBanner) {
          if (!kind_known_) {
            kind_ = *part.parser.kind();
            kind_known_ = true;
          }
          if (part.parser.kind() != kind_) {
            damage_ = part.path + ": its format differs from the backup's";
            done_ = true;
            break;
          }
          if (!OnBanner(part.parser.banner())) {
            damage_ = part.path + ": line " + std::to_string(part.line) + ": " + damage_;
            done_ = true;
            break;
          }
        } else if (event == LogParser::Event::kRow) {
          OnRow(part.parser.row(), part_);
        }
        if (event == LogParser::Event::kError || !damage_.empty()) {
          if (damage_.empty()) damage_ = part.path + ": " + part.parser.error();
          done_ = true;
        }
        break;
      case LineReader::Next::kEnd:
        if (part.parser.Finish(part.line + 1) == LogParser::Event::kError) {
          damage_ = part.path + ": " + part.parser.error();
          done_ = true;
        }
        ++part_;
        break;
      case LineReader::Next::kTooLong:
        damage_ = part.path + ": line " + std::to_string(part.line + 1) +
                  ": longer than any line of a log (" + std::to_string(LineReader::kMaxLine) +
                  " bytes without a line end; binary data?)";
        done_ = true;
        break;
      case LineReader::Next::kError:
        damage_ = part.path + ": cannot be read";
        done_ = true;
        break;
    }
    if (done_ && has_pending_) {
      Feed(statistics_, pending_cells_, 1, nullptr);
      has_pending_ = false;
    }
    bytes -= std::max<std::int64_t>(part.reader.position() - start, 1);
    if (bytes <= 0) break;
  }
  return done_;
}

bool Recording::OnBanner(const Banner& banner) {
  if (!axes_known_ && settings_.axes.empty()) {
    for (const std::string& name : banner.columns) settings_.axes.push_back(RecordingAxis{name});
  }
  axes_known_ = true;
  if (banner.columns.size() != settings_.axes.size()) {
    damage_ = "the banner names " + std::to_string(banner.columns.size()) + " counters where " +
              (settings_.from_profile ? "the profile has " : "the recording began with ") +
              std::to_string(settings_.axes.size()) + "; the recording ends before it";
    return false;
  }
  if (banner.started) {
    year_ = banner.started->year;
    last_month_ = banner.started->month;
  }
  pending_banner_ = banner;
  return true;
}

void Recording::OnRow(const Row& row, std::size_t part) {
  std::int64_t time = last_time_;
  if (row.time) {
    if (row.time->month < last_month_) ++year_;  // the year turned since the banner
    last_month_ = row.time->month;
    LocalTime t = *row.time;
    t.year = year_;
    time = LocalSeconds(t);
  }
  if (!has_base_) {
    base_time_ = time;
    has_base_ = true;
  }
  time = std::max({time, last_time_, base_time_});  // a clock set back keeps the order
  // The index keeps a row's time as seconds after the first row's: 136 years at most.
  time = std::min<std::int64_t>(time, base_time_ + UINT32_MAX);
  last_time_ = time;
  const std::size_t index = offsets_.size();

  if (pending_banner_) {
    const Banner& banner = *pending_banner_;
    // A banner written in the same second as the row after it is a rotation or a cleaning:
    // the engine's statistics went on. Any other banner is a new start of collecting.
    const bool continues = has_pending_ && !sessions_.empty() && banner.started &&
                           LocalSeconds(*banner.started) == time;
    Session session;
    session.first_row = index;
    session.chain_row = continues ? sessions_.back().chain_row : index;
    session.mode = banner.mode != 0 ? banner.mode : settings_.mode;
    if (!continues) {
      if (has_pending_) Feed(statistics_, pending_cells_, 1, nullptr);
      has_pending_ = false;
      statistics_.Prepare(static_cast<int>(settings_.axes.size()));
    }
    sessions_.push_back(session);
    pending_banner_.reset();
  }
  if (has_pending_) Feed(statistics_, pending_cells_, SamplesOf(index - 1, time), nullptr);
  if (index % kCheckpointRows == 0 && index > 0) checkpoints_.push_back({index, statistics_});

  offsets_.push_back(static_cast<std::uint64_t>(row.offset) | (part != 0 ? kFileBit : 0));
  times_.push_back(static_cast<std::uint32_t>(time - base_time_));
  pending_cells_ = row.cells;
  has_pending_ = true;
}

const Recording::Session& Recording::SessionOf(std::size_t row) const {
  const auto after = std::upper_bound(
      sessions_.begin(), sessions_.end(), row,
      [](std::size_t value, const Session& session) { return value < session.first_row; });
  return *(after - 1);
}

int Recording::SessionMode(std::size_t row) const { return SessionOf(row).mode; }

std::int64_t Recording::SamplesOf(std::size_t row, std::int64_t next_time) const {
  const int mode = SessionMode(row);
  if (mode == 1 || mode == 0) return 1;
  const std::int64_t interval = std::max(settings_.interval, 1);
  const std::int64_t gap = next_time - RowTime(row);
  return std::max<std::int64_t>(1, (gap + interval / 2) / interval);
}

void Recording::Feed(EngineStatistics& statistics, const std::vector<Cell>& cells,
                     std::int64_t samples, std::vector<EngineStatistics::Stored>* last) const {
  const int history = std::clamp(settings_.history, 2, EngineStatistics::kRingLength);
  // After `history` equal samples every ring slot holds the value; more of them only move
  // the ring position on, so a long steady stretch costs no more than two rounds of the ring.
  if (samples > 2 * history) samples = history + (samples - history) % history;
  const int counters = std::min(statistics.CounterCount(), static_cast<int>(cells.size()));
  for (std::int64_t s = 0; s < samples; ++s) {
    for (int c = 0; c < counters; ++c) {
      const Cell& cell = cells[static_cast<std::size_t>(c)];
      if (!cell.available) {
        statistics.MarkUnavailable(c);
        continue;
      }
      const EngineStatistics::Stored stored = statistics.Store(
          c, RawFromShown(settings_.axes[static_cast<std::size_t>(c)], cell.value), history);
      if (last != nullptr) (*last)[static_cast<std::size_t>(c)] = stored;
    }
    statistics.Advance(history);
  }
}

std::size_t Recording::RowAt(std::int64_t time) const {
  const std::int64_t relative = time - base_time_;
  if (relative <= 0) return 0;
  const auto key = static_cast<std::uint32_t>(std::min<std::int64_t>(relative, UINT32_MAX));
  const auto after = std::upper_bound(times_.begin(), times_.end(), key);
  return after == times_.begin() ? 0 : static_cast<std::size_t>(after - times_.begin()) - 1;
}

const Row* Recording::NextRow(std::size_t row, LogParser& parser, std::string* error) {
  const std::size_t part = (offsets_[row] & kFileBit) != 0 ? 1 : 0;
  const auto offset = static_cast<std::int64_t>(offsets_[row] & ~kFileBit);
  if (part != random_part_) {
    if (!random_.Open(parts_[part]->path, error)) return nullptr;
    random_part_ = part;
    random_.Seek(offset, 256 * 1024);
    parser = LogParser(kind_, settings_.axes.size());
  } else if (random_.position() != offset) {
    random_.Seek(offset, 256 * 1024);
    parser = LogParser(kind_, settings_.axes.size());
  }
  std::string_view line;
  std::int64_t at = 0;
  bool ended = true;
  for (int lines = 0; lines < 3 + static_cast<int>(settings_.axes.size()); ++lines) {
    if (random_.Read(&line, &at, &ended) != LineReader::Next::kLine) break;
    const LogParser::Event event = parser.Feed(line, at, 1);
    if (event == LogParser::Event::kRow) {
      if (parser.row().offset != offset) break;
      return &parser.row();
    }
    if (event != LogParser::Event::kNone) break;
  }
  random_part_ = SIZE_MAX;
  *error = parts_[part]->path + ": the row at byte " + std::to_string(offset) +
           " cannot be read back (the file changed since it was opened)";
  return nullptr;
}

bool Recording::ReadRow(std::size_t row, Row* out, std::string* error) {
  LogParser parser(kind_, settings_.axes.size());
  const Row* read = NextRow(row, parser, error);
  if (read == nullptr) return false;
  *out = *read;
  return true;
}

bool Recording::MomentAt(std::int64_t time, Moment* moment, std::string* error) {
  time = std::clamp(time, StartTime(), EndTime());
  const std::size_t row = RowAt(time);
  const std::size_t chain = SessionOf(row).chain_row;

  EngineStatistics statistics;
  std::size_t first = chain;
  const auto after = std::upper_bound(
      checkpoints_.begin(), checkpoints_.end(), row,
      [](std::size_t value, const Checkpoint& checkpoint) { return value < checkpoint.row; });
  if (after != checkpoints_.begin() && (after - 1)->row >= chain) {
    statistics = (after - 1)->statistics;
    first = (after - 1)->row;
  } else {
    statistics.Prepare(static_cast<int>(settings_.axes.size()));
  }

  // The rows since the checkpoint lie one after the other: one pass of one parser reads them.
  LogParser parser(kind_, settings_.axes.size());
  for (std::size_t r = first; r < row; ++r) {
    const Row* read = NextRow(r, parser, error);
    if (read == nullptr) return false;
    Feed(statistics, read->cells, SamplesOf(r, RowTime(r + 1)), nullptr);
  }
  const Row* read = NextRow(row, parser, error);
  if (read == nullptr) return false;
  const Row& cells = *read;
  std::int64_t samples = 1;
  const int mode = SessionMode(row);
  if (mode == 2 || mode == 3) {
    const std::int64_t interval = std::max(settings_.interval, 1);
    samples = (time - RowTime(row)) / interval + 1;
    if (row + 1 < RowCount()) samples = std::min(samples, SamplesOf(row, RowTime(row + 1)));
  }
  std::vector<EngineStatistics::Stored> last(settings_.axes.size());
  Feed(statistics, cells.cells, samples, &last);

  moment->time = time;
  moment->row = row;
  moment->states_only = mode == 3;
  moment->values.assign(settings_.axes.size(), MomentValue{});
  for (std::size_t c = 0; c < settings_.axes.size() && c < cells.cells.size(); ++c) {
    const Cell& cell = cells.cells[c];
    MomentValue& value = moment->values[c];
    value.available = cell.available;
    value.logged_critical = cell.critical;
    if (!cell.available) continue;
    value.shown = cell.value;
    value.raw = RawFromShown(settings_.axes[c], cell.value);
    value.maximum = last[c].maximum;
    value.average = last[c].average;
  }
  return true;
}

std::size_t Recording::IndexBytes() const {
  std::size_t bytes = offsets_.capacity() * sizeof(std::uint64_t) +
                      times_.capacity() * sizeof(std::uint32_t) +
                      sessions_.capacity() * sizeof(Session);
  for (const Checkpoint& checkpoint : checkpoints_)
    bytes += sizeof(Checkpoint) + static_cast<std::size_t>(checkpoint.statistics.CounterCount()) *
                                      (EngineStatistics::kRingLength + 2) * sizeof(double);
  return bytes;
}

}  // namespace corvane::recording
