// Reads a file line by line in pieces (pread(2) into a buffer of its own), from any offset, so
// that a log of gigabytes is never read at once and a line costs no allocation. Owns the file's
// descriptor and the buffer. Not thread-safe: one reader per thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::recording {

class LineReader {
 public:
  // The longest line a log holds: a CSV row of 32 counters is far shorter.
  static constexpr std::size_t kMaxLine = 64 * 1024;

  enum class Next { kLine, kEnd, kTooLong, kError };

  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path` for reading; false with the system's reason.
  bool Open(const std::string& path, std::string* error);
  std::int64_t size() const { return size_; }
  // Reads on from `offset`; `piece` is how much one read takes.
  void Seek(std::int64_t offset, std::size_t piece = 1 << 20);

  // The next line without its line end, valid until the next call; `offset` where it starts.
  // A last line without a line end comes as a line too (`ended` false).
  Next Read(std::string_view* line, std::int64_t* offset, bool* ended);
  // Where the line after the last one read starts.
  std::int64_t position() const { return base_ + static_cast<std::int64_t>(start_); }

 private:
  bool Fill();

  int fd_ = -1;
  std::int64_t size_ = 0;
  std::vector<char> buffer_;
  std::size_t piece_ = 1 << 20;
  std::int64_t base_ = 0;  // file offset of buffer_[0]
  std::size_t start_ = 0;  // next line's start in buffer_
  std::size_t end_ = 0;    // bytes in buffer_
  bool eof_ = false;
  std::string error_;
};

}  // namespace corvane::recording
