#include "core/activity_log.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/log_format.h"

namespace corvane {
namespace {

constexpr int kCsvFormat = 1;

// LogFileSize in bytes. Profiles may hold any integer; below 1 KB every row would rotate the
// log and push the previous row's file out of the backup, so the limit is never below 1 KB.
std::int64_t SizeLimit(const LogSettings& settings) {
  return static_cast<std::int64_t>(std::max(settings.file_size_kb, 1)) * 1024;
}

template <typename Text>
void Keep(Text& kept, std::string_view text) {
  if (text.size() > sizeof kept.text) {
    kept.size = 0;
    return;
  }
  std::copy(text.begin(), text.end(), kept.text);
  kept.size = static_cast<std::uint8_t>(text.size());
}

std::string_view FileNameOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

ActivityLog::ActivityLog(LocalClock clock, MessageSink message)
    : clock_(std::move(clock)), message_(std::move(message)) {}

void ActivityLog::SetLocation(std::string_view profile_path) {
  const auto slash = profile_path.rfind('/');
  const std::string_view folder =
      slash == std::string_view::npos ? std::string_view{} : profile_path.substr(0, slash + 1);
  const std::string_view name = FileNameOf(profile_path);
  const auto dot = name.rfind('.');
  title_ = std::string(dot != std::string_view::npos && dot > 0 ? name.substr(0, dot) : name);
  folder_ = std::string(folder) + "Logs/";
  has_location_ = true;
}

bool ActivityLog::Open(const LogSettings& settings, bool force_backup) {
  return OpenFile(settings, force_backup, /*backup_made=*/false);
}

bool ActivityLog::OpenFile(const LogSettings& settings, bool force_backup, bool backup_made) {
  file_.Close();
  row_count_ = 0;
  banner_pending_ = false;
  if (settings.mode == 0) return true;
  if (!has_location_) return Fail("activity log: no profile path to put the log beside");

  const std::string_view extension = settings.format == kCsvFormat ? ".csv" : ".html";
  path_ = folder_ + title_ + "-log";
  path_ += extension;
  backup_path_ = folder_ + title_ + "-log-bkup";
  backup_path_ += extension;

  // Only the last level is made; when that fails, the open below fails too and says why.
  std::error_code ignored;
  std::filesystem::create_directory(folder_, ignored);

  std::string error;
  if (!backup_made) {
    const std::int64_t size = LogFileSize(path_).value_or(0);
    if (force_backup || size >= SizeLimit(settings)) {
      backup_made = MoveLogToBackup(path_, backup_path_, force_backup, SizeLimit(settings), &error);
      if (!error.empty()) last_error_ = error;
    }
  }

  switch (file_.Open(path_, &error)) {
    case LogFile::OpenResult::kCannotCreate:
      return Fail(std::move(error));
    case LogFile::OpenResult::kCannotOpen:
      if (message_) message_("Cannot write to file: " + path_);
      return Fail(std::move(error));
    case LogFile::OpenResult::kOpened:
    case LogFile::OpenResult::kCreated:
      break;
  }

  format_ = settings.format == kCsvFormat ? kCsvFormat : 0;
  header_.clear();
  if (Html()) {
    logtext::AppendHtmlHeader(header_, title_, FileNameOf(path_),
                              backup_made ? FileNameOf(backup_path_) : std::string_view{});
  } else {
    logtext::AppendCsvHeader(header_, title_);
  }
  // A new file gets the header; so does an existing empty one, which has nothing to lose.
  if (!file_.Write(header_, {}, {}, &error)) return Fail(std::move(error));
  return true;
}

bool ActivityLog::WriteBanner(const LogSettings& settings, std::span<const LogAxis> axes) {
  if (settings.mode == 0) return true;
  if (!file_.is_open()) return false;  // last_error() tells why the open failed

  char started[kLogTimeBufferSize];
  const auto now = clock_ ? clock_() : std::nullopt;
  banner_text_.clear();
  if (Html()) {
    logtext::AppendHtmlBanner(banner_text_, FormatLogTime(now, kHtmlBannerTimePattern, started),
                              settings.mode, axes);
  } else {
    logtext::AppendCsvBanner(banner_text_, FormatLogTime(now, kCsvBannerTimePattern, started),
                             axes);
  }
  std::string error;
  // The header goes first if the file is still empty (its header could not be written).
  if (!file_.Write(header_, Html() ? logtext::kHtmlEnd : std::string_view{}, banner_text_,
                   &error)) {
    banner_pending_ = true;
    return Fail(std::move(error));
  }
  banner_pending_ = false;
  Succeeded();
  return true;
}

void ActivityLog::CheckFile(const LogSettings& settings, std::span<const LogAxis> axes) {
  const std::int64_t limit = SizeLimit(settings);
  if (!file_.is_open()) {
    if (!path_.empty() && LogFileSize(path_).value_or(0) >= limit) {
      OpenFile(settings, false, false);
      WriteBanner(settings, axes);
    }
    return;
  }
  const auto size = file_.SizeIfAt(path_);
  if (size && *size < limit) return;
  if (size) {
    std::string error;
    if (MoveLogToBackup(path_, backup_path_, false, limit, &error)) {
      OpenFile(settings, false, /*backup_made=*/true);
      WriteBanner(settings, axes);
      return;
    }
    if (!error.empty()) last_error_ = std::move(error);
    // The file cannot be moved (a read-only folder): it grows past the limit rather than get
    // a banner before every row. Unless another process has just moved it itself.
    if (file_.SizeIfAt(path_)) return;
  }
  // The path no longer names the file held open: it was moved away (by another process
  // running this profile), replaced or deleted. Rows written to it now would be lost from
  // view, so go on in whatever file the path names.
  OpenFile(settings, false, false);
  WriteBanner(settings, axes);
}

bool ActivityLog::WriteRow(const LogSettings& settings, std::span<const LogAxis> axes,
                           std::span<const double> currents) {
  if (settings.mode == 0) return true;
  CheckFile(settings, axes);
  if (!file_.is_open()) return false;

  const std::size_t n = std::min(axes.size(), currents.size());
  if (memory_.size() < n) {
    memory_.resize(n);
    memory_before_row_.resize(n);
  }
  std::copy_n(memory_.begin(), n, memory_before_row_.begin());

  const bool html = Html();
  bool value_changed = false;
  bool state_changed = false;
  cells_.clear();
  for (std::size_t j = 0; j < n; ++j) {
    const LogAxis& axis = axes[j];
    CounterMemory& memory = memory_[j];
    const bool unavailable = currents[j] == kUnavailableValue;
    const double v = LogDisplayValue(axis, currents[j]);
    // A value equal to the critical value counts as critical in the log (the chart flags only
    // values above it).
    const bool normal = v < axis.critical;
    const bool previous_normal = memory.previous < axis.critical;

    char value_buffer[logtext::kValueBufferSize];
    char reference_buffer[logtext::kValueBufferSize];
    const std::string_view value = logtext::FormatValue(v, value_buffer);
    const bool against_last_row = settings.mode == 3;
    const auto& kept = against_last_row ? memory.last_row_text : memory.previous_text;
    const std::string_view reference =
        kept.size != 0 ? std::string_view(kept.text, kept.size)
                       : logtext::FormatValue(against_last_row ? memory.last_row : memory.previous,
                                              reference_buffer);
    logtext::Arrow arrow = logtext::Arrow::kNone;
    if (value != reference) {
      value_changed = true;
      if (row_count_ != 0)
        arrow = memory.previous < v ? logtext::Arrow::kUp : logtext::Arrow::kDown;
    }
    if (normal != previous_normal || unavailable != memory.unavailable) state_changed = true;
    memory.previous = v;
    Keep(memory.previous_text, value);
    memory.unavailable = unavailable;

    if (html) {
      if (unavailable) {
        logtext::AppendHtmlUnavailableCell(cells_);
      } else {
        logtext::AppendHtmlCell(cells_, value, !normal, arrow);
      }
    } else if (unavailable) {
      logtext::AppendCsvUnavailableCell(cells_);
    } else {
      logtext::AppendCsvCell(cells_, value);
    }
  }

  const bool due = settings.mode == 1 || (settings.mode == 2 && value_changed) ||
                   (settings.mode == 3 && state_changed) || row_count_ == 0;
  if (!due) return true;

  auto roll_back = [&] { std::copy_n(memory_before_row_.begin(), n, memory_.begin()); };
  if (banner_pending_ && !WriteBanner(settings, axes)) {
    roll_back();
    return false;
  }

  char date_buffer[kLogTimeBufferSize];
  char time_buffer[kLogTimeBufferSize];
  const auto now = clock_ ? clock_() : std::nullopt;
  const std::string_view date = FormatLogTime(now, kRowDatePattern, date_buffer);
  const std::string_view time = FormatLogTime(now, kRowTimePattern, time_buffer);
  row_text_.clear();
  if (html) {
    logtext::AppendHtmlRowStart(row_text_, row_count_ % 2 == 0, date, time);
    row_text_ += cells_;
    logtext::AppendHtmlRowEnd(row_text_);
  } else {
    logtext::AppendCsvRowStart(row_text_, date, time);
    row_text_ += cells_;
    logtext::AppendCsvRowEnd(row_text_);
  }

  std::string error;
  if (!file_.Write({}, html ? logtext::kHtmlTableEnd : std::string_view{}, row_text_, &error)) {
    roll_back();
    return Fail(std::move(error));
  }
  if (html) {
    for (std::size_t j = 0; j < n; ++j) {
      memory_[j].last_row = memory_[j].previous;
      memory_[j].last_row_text = memory_[j].previous_text;
    }
  }
  // Rows since the last open; wraps to 1, not 0, which would count as a first row again.
  row_count_ = row_count_ == INT32_MAX ? 1 : row_count_ + 1;
  Succeeded();
  return true;
}

bool ActivityLog::Clean(const LogSettings& settings, std::span<const LogAxis> axes) {
  Close();
  const bool opened = OpenFile(settings, /*force_backup=*/true, /*backup_made=*/false);
  const bool banner = WriteBanner(settings, axes);
  return opened && banner;
}

void ActivityLog::Close() { file_.Close(); }

void ActivityLog::ResetCounters(std::size_t counters) {
  memory_.assign(counters, CounterMemory{});
  memory_before_row_.assign(counters, CounterMemory{});
  row_count_ = 0;
  // Room for a row of this many cells, so the first rows do not grow the buffers.
  constexpr std::size_t kCellRoom = 96;
  constexpr std::size_t kRowRoom = 160;
  cells_.reserve(counters * kCellRoom);
  row_text_.reserve(counters * kCellRoom + kRowRoom);
}

bool ActivityLog::Fail(std::string error) {
  last_error_ = std::move(error);
  if (!failing_) {
    failing_ = true;
    // The texts end in the system's reason: "<path>: <step>: No space left on device".
    const std::size_t colon = last_error_.rfind(": ");
    if (status_ != nullptr) {
      status_->LogFailing(path_,
                          colon == std::string::npos ? last_error_ : last_error_.substr(colon + 2));
    }
  }
  return false;
}

void ActivityLog::Succeeded() {
  if (!failing_) return;
  failing_ = false;
  if (status_ != nullptr) status_->LogRecovered(path_);
}

}  // namespace corvane
