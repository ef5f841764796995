#include "platform/linux/proc/proc_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace corvane::local {

ProcFile::ProcFile(std::string path, FileShape shape, std::size_t initial_capacity)
    : path_(std::move(path)),
      shape_(shape),
      initial_capacity_(initial_capacity < 64 ? 64 : initial_capacity) {}

ProcFile::~ProcFile() { Close(); }

ProcFile::ProcFile(ProcFile&& other) noexcept
    : path_(std::move(other.path_)),
      shape_(other.shape_),
      initial_capacity_(other.initial_capacity_),
      fd_(std::exchange(other.fd_, -1)),
      reads_(other.reads_),
      buffer_(std::move(other.buffer_)) {}

ProcFile& ProcFile::operator=(ProcFile&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    shape_ = other.shape_;
    initial_capacity_ = other.initial_capacity_;
    fd_ = std::exchange(other.fd_, -1);
    reads_ = other.reads_;
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

int ProcFile::Open() {
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return errno;
  if (buffer_.empty()) buffer_.resize(initial_capacity_);
  return 0;
}

void ProcFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int ProcFile::ReadOpen(std::size_t* length) {
  std::size_t used = 0;
  reads_ = 0;
  for (;;) {
    if (used == buffer_.size()) {
      buffer_.resize(buffer_.size() * 2);
      // A whole-file show() is generated afresh by each read at offset 0, so a file that did
      // not fit is read again from the start rather than stitched from two generations.
      if (shape_ == FileShape::kWhole) used = 0;
    }
    const ssize_t n =
        ::pread(fd_, buffer_.data() + used, buffer_.size() - used, static_cast<off_t>(used));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    ++reads_;
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
    if (shape_ == FileShape::kWhole && used < buffer_.size()) break;
    // The first read stopped with room for another record in the kernel's page (and in the
    // buffer): there was none.
    if (shape_ == FileShape::kShortRecords && used == static_cast<std::size_t>(n) &&
        used + kShortRecordBytes < kSeqFilePage && used + kShortRecordBytes < buffer_.size()) {
      break;
    }
  }
  *length = used;
  return 0;
}

int ProcFile::Read(std::string_view* text) {
  *text = {};
  if (fd_ < 0) {
    if (const int error = Open(); error != 0) return error;
  }
  std::size_t length = 0;
  int error = ReadOpen(&length);
  if (error != 0) {
    Close();
    if (const int open_error = Open(); open_error != 0) return open_error;
    error = ReadOpen(&length);
    if (error != 0) {
      Close();
      return error;
    }
  }
  *text = std::string_view(buffer_.data(), length);
  return 0;
}

}  // namespace corvane::local
