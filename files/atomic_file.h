// AtomicFile: writes one file so that readers, and a machine that crashes, only ever see the old
// contents or the complete new ones. Owns the temporary file and its descriptor until Commit or
// Abandon. One thread per object; objects for different files are independent.
//
// How: where the file system allows it, the data goes into an unnamed file (O_TMPFILE) in the
// target's folder, which is named only once it is complete and synced, then renamed over the
// target; the folder is synced last. A process killed before that leaves nothing behind.
// Elsewhere (some network and FUSE file systems) a named temporary file
// ".<name>.<pid>-<n>.tmp" beside the target is used; opening a writer for the same target
// later removes those its dead writers left (never a live writer's). Every failure removes the
// temporary file before it is reported.
//
// Standard library and POSIX only; the Linux unnamed file is used where the C library has it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::files {

struct AtomicFileOptions {
  // false: the target must not exist yet, and an existing one is never touched (EEXIST).
  bool replace = true;
  // Permission bits of a new file. The umask applies unless exact_mode is set.
  unsigned mode = 0666;
  bool exact_mode = false;
  // A replaced file passes its permission bits, and its owner where the writer may give it,
  // to the new one.
  bool keep_attributes = false;
};

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();  // abandons what was not committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Starts the new contents of `target` (a symbolic link is replaced, not followed). False,
  // with error(), when the folder cannot take a new file.
  bool Open(const std::filesystem::path& target, const AtomicFileOptions& options = {});
  // Appends bytes; a short write is retried, a failure ends the file (see error()).
  bool Write(std::string_view bytes);
  // Syncs the data, gives the file the target's name and syncs the folder. True only when the
  // new contents are in place; on failure the target is as it was.
  bool Commit();
  // Drops the new contents; the target stays. Harmless when nothing is open.
  void Abandon();

  // The last failure: "<path>: <step>: <system's reason>", the same without the reason, and
  // its errno value (0: none).
  const std::string& error() const { return error_; }
  const std::string& error_context() const { return error_context_; }
  int error_code() const { return error_code_; }

  // Makes every writer of this process use named temporary files, as on a file system without
  // unnamed ones. For tests of that path; any thread, before the writers it should affect.
  static void ForceNamedTemporaries(bool force);

 private:
  bool Fail(const std::filesystem::path& file, std::string_view step, int system_error);
  bool OpenUnnamed(int* system_error);
  bool OpenNamed();
  bool LinkUnnamed(const std::filesystem::path& name, int* system_error);
  void NewTemporaryName(std::filesystem::path* name) const;

  std::filesystem::path target_;
  std::filesystem::path folder_;  // "." for a target without one
  std::filesystem::path temp_;    // the named temporary file; empty while none exists
  AtomicFileOptions options_;
  int fd_ = -1;
  bool failed_ = false;
  std::string error_;
  std::string error_context_;
  int error_code_ = 0;
};

// Replaces (or, with options.replace false, creates) `target` with `bytes` in one call. False,
// with `*error` in AtomicFile's form, when that failed; the target is then as it was.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const AtomicFileOptions& options, std::string* error,
                         int* error_code = nullptr);

// The named temporary files of `target` (the fallback's ".<name>.<pid>-<n>.tmp") whose process
// is gone are removed; the number removed. Done by Open; exposed for tests and tools.
int RemoveStaleTemporaries(const std::filesystem::path& target);

}  // namespace corvane::files
