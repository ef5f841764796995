// The activity log: an HTML page or CSV text in the "Logs" folder beside the profile, with a
// banner whenever collecting starts, the log settings change or the log is cleaned, and a row
// per sample as the log mode decides. Owns the log file, its folder and paths, the profile
// title, the row counter and each counter's log memory.
//
// Threads: not thread-safe. The engine owns one and calls it only while holding its lock, from
// the window's thread (location, settings, cleaning, path) and the collector thread (banners,
// rows). It knows nothing of the chart: every call is given the settings and axes it needs.
//
// Failures. Opening a file that exists but cannot be written calls the message sink with
// "Cannot write to file: " and the path; everything else (a missing or read-only folder, a
// failed rename, a full disk) is silent towards the user, leaves the file as it was and is
// reported only through the result and last_error(), so the collector simply goes on. A status
// sink, when set, hears once that the log started failing (with the system's reason) and once
// that a banner or row reached the file again.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_host.h"
#include "core/log_file.h"
#include "core/log_time.h"
#include "core/log_types.h"

namespace corvane {

class ActivityLog {
 public:
  // Shows a message to the user. Interactive engines pass one; silent ones pass none. It is
  // called with the engine's lock held, possibly on the collector thread, so a desktop sink
  // should queue the message to its window's thread rather than block.
  using MessageSink = std::function<void(const std::string& text)>;

  explicit ActivityLog(LocalClock clock = SystemLocalTime, MessageSink message = {});
  ActivityLog(const ActivityLog&) = delete;
  ActivityLog& operator=(const ActivityLog&) = delete;
  ~ActivityLog() = default;  // closes the file

  // Folder = the profile's folder + "Logs/"; title = the profile's file name without its folder
  // and extension. Takes effect at the next Open.
  void SetLocation(std::string_view profile_path);

  // Closes the log and opens it afresh for `settings` (nothing more when the mode is 0). The
  // file moves to the backup name first when `force_backup` is set or it has reached the size
  // limit. A new or empty file gets its format's header. True when the log is open with its
  // header in place, or when logging is off. When only the header failed the file stays open
  // and the next banner writes the header first.
  bool Open(const LogSettings& settings, bool force_backup);

  // A start banner with the column headings. True when written (or when the log is off).
  bool WriteBanner(const LogSettings& settings, std::span<const LogAxis> axes);

  // One sample: `currents` are the raw readings per axis, kUnavailableValue for a failed one.
  // Rotates the file when it reached the size limit, updates each counter's memory and writes
  // a row when the mode asks for one. A row that fails to reach the file leaves the row counter
  // and every counter's memory as they were, so the next sample is judged against what the log
  // really holds; a banner that failed before is written ahead of the next row. True unless
  // something due was not written.
  bool WriteRow(const LogSettings& settings, std::span<const LogAxis> axes,
                std::span<const double> currents);

  // The log moves to the backup and a fresh log begins with a banner.
  bool Clean(const LogSettings& settings, std::span<const LogAxis> axes);

  void Close();

  // Who hears of the log's failures and recoveries; nullptr: no one. The sink must outlive the
  // log or be replaced first.
  void SetStatusSink(LogStatusSink* sink) { status_ = sink; }
  // Whether the last write that was due failed and none has succeeded since.
  bool failing() const { return failing_; }

  // Sizes the per-counter memory for `counters` counters, all zero and available, and sets the
  // row counter to 0. Called when the engine prepares its statistics.
  void ResetCounters(std::size_t counters);

  std::string GetLogPath() const { return path_; }
  const std::string& folder() const { return folder_; }
  const std::string& title() const { return title_; }
  bool is_open() const { return file_.is_open(); }
  std::int32_t row_count() const { return row_count_; }
  // What the last failure was: the file, the step and the system's reason.
  const std::string& last_error() const { return last_error_; }

 private:
  // The "%.2lf" text of a remembered value, so that the next sample compares texts without
  // formatting it again. A text too long for it is not kept (size 0) and made when needed.
  struct ValueText {
    char text[24] = {'0', '.', '0', '0'};
    std::uint8_t size = 4;
  };
  struct CounterMemory {
    double previous = 0.0;     // display value at the previous sample
    double last_row = 0.0;     // display value written in the last HTML row
    bool unavailable = false;  // unavailable at the previous sample
    ValueText previous_text;
    ValueText last_row_text;
  };

  bool OpenFile(const LogSettings& settings, bool force_backup, bool backup_made);
  // Rotation before a row; also reopens when the file was moved away or deleted meanwhile.
  void CheckFile(const LogSettings& settings, std::span<const LogAxis> axes);
  bool Html() const { return format_ != 1; }
  bool Fail(std::string error);
  void Succeeded();

  LocalClock clock_;
  MessageSink message_;
  LogStatusSink* status_ = nullptr;
  bool failing_ = false;
  LogFile file_;

  bool has_location_ = false;
  std::string folder_;  // ends with "Logs/"
  std::string title_;
  std::string path_;         // the log file, set by Open
  std::string backup_path_;  // its backup, set by Open
  std::string header_;       // header of the open file's format, written into an empty file
  int format_ = 0;           // LogFormat the open file was opened with

  std::int32_t row_count_ = 0;   // rows written since the log was opened or counters reset
  bool banner_pending_ = false;  // the last banner failed; it goes ahead of the next row
  std::vector<CounterMemory> memory_;
  std::vector<CounterMemory> memory_before_row_;  // restored when a row fails

  std::string banner_text_;  // reused buffers: no allocation per row once warmed up
  std::string cells_;
  std::string row_text_;
  std::string last_error_;
};

}  // namespace corvane
