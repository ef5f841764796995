#include "core/recording/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/regular_file.h"

namespace corvane::recording {

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineReader::Open(const std::string& path, std::string* error) {
  if (fd_ >= 0) ::close(fd_);
  // A FIFO or device named as a log would block the open or never end.
  int err = 0;
  fd_ = files::OpenRegularFileAt(AT_FDCWD, path.c_str(), O_RDONLY, 0, path, error, &err);
  if (fd_ < 0) {
    if (err != EINVAL && err != EISDIR) *error = "cannot open " + path + ": " + std::strerror(err);
    return false;
  }
  struct stat status {};
  if (::fstat(fd_, &status) != 0) {
    *error = path + ": stat: " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = status.st_size;
  Seek(0);
  return true;
}

void LineReader::Seek(std::int64_t offset, std::size_t piece) {
  piece_ = piece;
  base_ = offset;
  start_ = 0;
  end_ = 0;
  eof_ = false;
}

bool LineReader::Fill() {
  if (eof_) return false;
  // Keep the unfinished line, then read the next piece after it.
  if (start_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
    base_ += static_cast<std::int64_t>(start_);
    end_ -= start_;
    start_ = 0;
  }
  if (buffer_.size() < end_ + piece_) buffer_.resize(end_ + piece_);
  const ssize_t got =
      ::pread(fd_, buffer_.data() + end_, piece_, base_ + static_cast<std::int64_t>(end_));
  if (got <= 0) {
    eof_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

LineReader::Next LineReader::Read(std::string_view* line, std::int64_t* offset, bool* ended) {
  if (fd_ < 0) return Next::kError;
  std::size_t searched = start_;
  while (true) {
    const void* found =
        end_ > searched ? std::memchr(buffer_.data() + searched, '\n', end_ - searched) : nullptr;
    if (found != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
      if (at - start_ > kMaxLine) return Next::kTooLong;
      std::size_t length = at - start_;
      if (length > 0 && buffer_[start_ + length - 1] == '\r') --length;
      *line = std::string_view(buffer_.data() + start_, length);
      *offset = base_ + static_cast<std::int64_t>(start_);
      *ended = true;
      start_ = at + 1;
      return Next::kLine;
    }
    if (end_ - start_ > kMaxLine) return Next::kTooLong;
    searched = end_;
    const std::size_t kept = start_;
    if (!Fill()) {
      if (end_ == start_) return Next::kEnd;
      *line = std::string_view(buffer_.data() + start_, end_ - start_);
      *offset = base_ + static_cast<std::int64_t>(start_);
      *ended = false;
      start_ = end_;
      return Next::kLine;
    }
    searched -= kept - start_;  // Fill moved the buffer's content to its front
  }
}

}  // namespace corvane::recording
