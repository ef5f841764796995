// ProfileFileWriter: writes one profile file atomically through files::AtomicFile, which owns
// the new file until it replaces the profile (see files/atomic_file.h). Lines gather in memory
// and reach the new file in large writes; Commit flushes them and puts the file in place.
// Until Commit succeeds the old profile is untouched; a writer destroyed or abandoned before
// that leaves no file behind.
//
// Bytes on disk: every line ends in CR LF, text passes through as it is (UTF-8 on Linux),
// integers in signed decimal, reals as "%f" (six decimals, '.' whatever the locale).
//
// Replacing: the new file takes the owner (when the saver may give it) and mode bits of the
// file it replaces (0666 less the umask for a new one); a file the saver may not write is not
// replaced. A profile path that is a symbolic link keeps the link: the file it points to is
// replaced, unless the link lies in a sticky world-writable folder (/tmp) and belongs to
// neither the saver nor the folder's owner: such a link, planted by another user, is refused
// as the kernel refuses to follow it (see files/link_rule.h). A hard-linked profile becomes a
// file of its own.
//
// Threads: one thread at a time (the one saving, under the chart's lock).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "chart/profile_writer.h"
#include "files/atomic_file.h"

namespace corvane::chart {

class ProfileFileWriter final : public ProfileWriter {
 public:
  ProfileFileWriter() = default;
  ~ProfileFileWriter() override;
  ProfileFileWriter(const ProfileFileWriter&) = delete;
  ProfileFileWriter& operator=(const ProfileFileWriter&) = delete;

  // Creates the temporary file for `path`. False, with error(), when the folder cannot take a
  // new file, or `path` names a folder, another non-regular file, a file the saver may not
  // write or a link that must not be followed.
  bool Open(const std::filesystem::path& path);

  bool WriteInteger(std::string_view key, std::int32_t value) override;
  // Every line: CR, LF and NUL become spaces, and a line longer than the reader takes in
  // one piece (2046 bytes before its line end, see profile_line_reader.h) is cut to fit, at
  // the start of a UTF-8 character. Either would otherwise read back as other lines, that is
  // other keys.
  bool WriteText(std::string_view key, std::string_view value) override;
  bool WriteReal(std::string_view key, double value) override;
  bool WriteLine(std::string_view text) override;

  // Writes what is left, syncs, closes and renames the temporary file over the profile. True
  // only when all of that succeeded; on failure the temporary file is removed and the old
  // profile is as it was.
  bool Commit();
  // Drops the temporary file; the old profile stays. Harmless when nothing is open.
  void Abandon();

  // Why the last failure happened: the file, the step and the system's reason.
  const std::string& error() const { return error_; }

 private:
  bool Append(std::string_view key, std::string_view separator, std::string_view value);
  bool Flush();
  bool Fail(const std::filesystem::path& file, std::string_view step, int system_error);
  bool FailWith(std::string error);

  std::filesystem::path target_;  // the file that is replaced (a link resolved)
  files::AtomicFile file_;
  bool open_ = false;   // file_ holds the new profile
  std::string buffer_;  // bytes not yet written to fd_
  bool failed_ = false;
  std::string error_;
};

}  // namespace corvane::chart
