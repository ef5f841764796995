// One activity-log file on disk, held open for reading and writing. Owns its descriptor. Not
// thread-safe: its owner (the activity log, under the engine's lock) makes every call.
//
// Two deliverables running the same profile write the same log file, so nothing about the
// file is remembered between writes: each write takes an advisory lock on the file
// (flock(2), waited for at most a fifth of a second), looks at the file's real end and only
// then writes. A write either lands whole or leaves the file as it was before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class LogFile {
 public:
  enum class OpenResult {
    kOpened,        // an existing regular file
    kCreated,       // a new, empty file
    kCannotCreate,  // absent, and it could not be created (missing or read-only folder)
    kCannotOpen,    // present, but not writable, not a regular file, a link or in an untrusted
                    // folder
  };

  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens the file at `path`, creating it (mode 0666 less the umask) when absent. Closes any
  // file held before. The file is opened relative to its folder and never through a link of
  // its own; the folder is refused when it belongs to another user than this one or root, or
  // is reached through a link the kernel would not follow either (files/link_rule.h). Only a
  // regular file is taken, and the open never blocks on a FIFO. On failure `error` gets the
  // path, the step and the reason.
  OpenResult Open(const std::string& path, std::string* error);
  void Close();
  bool is_open() const { return fd_ >= 0; }

  // The size in bytes of the file at `path` if `path` still names the file held open; nothing
  // when it was moved away, replaced or deleted since it was opened (or none is open).
  std::optional<std::int64_t> SizeIfAt(const std::string& path) const;

  // Writes `text` over the last bytes of the file when they equal `tail`, else after the end
  // (a file cut or edited by someone else keeps every byte). When the file is empty, `header`
  // goes first. Empty `tail` appends; empty `text` writes at most the header. One write call
  // for `text` unless the system takes it in parts. On failure the file is put back as it was
  // (with the header, when only the text failed) and `error` says why; where it cannot be put
  // back (a file that cannot be cut), `error` says that too, still ending in the first reason.
  bool Write(std::string_view header, std::string_view tail, std::string_view text,
             std::string* error);

 private:
  int fd_ = -1;
  std::uint64_t device_ = 0;  // identity of the open file, to recognise it at its path
  std::uint64_t inode_ = 0;
  std::string path_;  // for error texts
};

// Size in bytes of the file at `path`, nothing when it does not exist or is no regular file.
std::optional<std::int64_t> LogFileSize(const std::string& path);

// Moves the log at `path` to `backup`, replacing an earlier backup in the same step (rename(2)),
// so a move that fails never costs the old backup. Unless `force`, only a file of at least
// `min_size` bytes moves. The move happens under the file's lock and only if `path` still names
// the file that was locked, so two processes that both find the log full move it once.
// True when the file was moved; otherwise `error` says why, or stays empty when there was
// nothing to move.
bool MoveLogToBackup(const std::string& path, const std::string& backup, bool force,
                     std::int64_t min_size, std::string* error);

}  // namespace corvane
