// Counts the processes of a /proc tree: its directories named by a number, one per thread
// group (proc(5)), kernel threads and zombies included. Keeps the directory open and re-reads
// it with getdents64(2) into a buffer it owns, looking at each entry's bytes in place, so a
// count allocates nothing. On procfs, later scans start where the processes begin and skip the
// fixed entries before them. Owned by one query; one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::local {

class ProcessScan {
 public:
  explicit ProcessScan(std::string directory, std::size_t buffer_bytes = 64 * 1024);
  ~ProcessScan();
  ProcessScan(const ProcessScan&) = delete;
  ProcessScan& operator=(const ProcessScan&) = delete;

  // Returns 0 or the errno of the failed open, seek or read.
  int Count(std::uint64_t* processes);

  const std::string& path() const { return directory_; }

 private:
  int CountOpen(std::uint64_t* processes);

  std::string directory_;
  std::size_t buffer_bytes_;
  int fd_ = -1;
  std::vector<char> buffer_;
  bool procfs_ = false;             // the directory is procfs's root
  std::int64_t resume_cookie_ = 0;  // directory offset where the processes begin; 0: scan all
};

}  // namespace corvane::local
