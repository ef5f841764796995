// Opening and reading files that must be regular files (profiles, logs): a FIFO without a
// writer would block the open or the reads for ever, a device such as /dev/zero would never
// end. The open itself does not block (O_NONBLOCK until fstat(2) has shown a regular file).
//
// Free functions; any thread. A returned descriptor belongs to the caller.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace corvane::files {

// Opens `name` relative to the folder `folder_fd` (AT_FDCWD: the working folder) with `flags`
// (O_CLOEXEC and O_NOCTTY are added; `mode` applies with O_CREAT) when it is a regular file,
// and returns the descriptor in blocking mode. -1 otherwise, with `*error` naming
// `display_path` and `*system_error` the errno value (EISDIR for a folder; EINVAL for another
// file that is no regular file, whose message says "... is not a regular file").
int OpenRegularFileAt(int folder_fd, const char* name, int flags, mode_t mode,
                      const std::string& display_path, std::string* error, int* system_error);

// The same for `path` relative to the working folder.
int OpenRegularFile(const std::filesystem::path& path, int flags, std::string* error);

// Reads the whole regular file at `path` into `*bytes`. False, with `*error` naming the path,
// when it cannot be opened, is no regular file, is longer than `max_bytes` or a read fails.
bool ReadRegularFile(const std::filesystem::path& path, std::size_t max_bytes, std::string* bytes,
                     std::string* error);

}  // namespace corvane::files
