#include "chart/profile_line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace corvane::chart {

ProfileLineReader::ProfileLineReader(std::FILE* stream) : stream_(stream) {
  piece_.reserve(kMaxPieceBytes);
}

bool ProfileLineReader::Fill() {
  if (at_end_ || failed_) return false;
  // Not zeroed: only the bytes fread fills are ever looked at.
  if (buffer_ == nullptr) buffer_.reset(new char[kReadChunk]);
  errno = 0;
  filled_ = std::fread(buffer_.get(), 1, kReadChunk, stream_);
  position_ = 0;
  if (filled_ < kReadChunk) {
    if (std::ferror(stream_) != 0) {
      failed_ = true;
      errno_value_ = errno != 0 ? errno : EIO;
    } else {
      at_end_ = true;
    }
  }
  return filled_ > 0;
}

int ProfileLineReader::Peek() {
  if (position_ == filled_ && !Fill()) return -1;
  return static_cast<unsigned char>(buffer_[position_]);
}

bool ProfileLineReader::Next(std::string_view* piece) {
  piece_.clear();
  while (piece_.size() < kMaxPieceBytes) {
    if (position_ == filled_ && !Fill()) break;
    const char* data = buffer_.get() + position_;
    const std::size_t available = std::min(filled_ - position_, kMaxPieceBytes - piece_.size());
    const void* newline = std::memchr(data, '\n', available);
    const std::size_t limit =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - data)
                           : available;
    const void* cr = std::memchr(data, '\r', limit);
    const std::size_t run =
        cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : limit;
    piece_.append(data, run);
    position_ += run;
    if (run == available) continue;  // the chunk or the piece is used up
    ++position_;
    if (data[run] == '\n') {
      piece_.push_back('\n');
      break;
    }
    // Text mode: CR LF is one LF. A CR before anything else, or at the very end, is kept.
    if (Peek() == '\n') {
      ++position_;
      piece_.push_back('\n');
      break;
    }
    piece_.push_back('\r');
  }
  // A read error drops the piece it interrupted: the load fails anyway.
  if (piece_.empty() || failed_) return false;
  *piece = piece_;
  return true;
}

}  // namespace corvane::chart
