// ProfileLineReader: cuts a profile file into the pieces the profile reader works on. Owns a
// read buffer; borrows the open stream, which its caller closes. One thread at a time (the one
// loading, under the chart's lock).
//
// The pieces are what a C runtime's text-mode fgets into a 2048-byte buffer returns: CR LF
// becomes LF before anything else (a lone CR stays), and a piece is at most 2047 bytes, the
// LF included when it fits. A longer line therefore comes as several pieces, each of which
// the profile reader takes as a line of its own; profiles written on either platform read
// alike.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::chart {

class ProfileLineReader {
 public:
  // Bytes of one piece, its LF included: the 2048-byte line buffer less its terminator.
  static constexpr std::size_t kMaxPieceBytes = 2047;
  // Bytes asked of the stream at a time.
  static constexpr std::size_t kReadChunk = 64 * 1024;

  explicit ProfileLineReader(std::FILE* stream);
  ProfileLineReader(const ProfileLineReader&) = delete;
  ProfileLineReader& operator=(const ProfileLineReader&) = delete;

  // The next piece, its LF kept; false at the end of the file or after a read error. The view
  // stays valid until the next call.
  bool Next(std::string_view* piece);
  // True once reading failed (as opposed to reaching the end); errno_value() says why.
  bool failed() const { return failed_; }
  int errno_value() const { return errno_value_; }

 private:
  // The next unread byte without taking it, or -1 at the end or on an error.
  int Peek();
  bool Fill();

  std::FILE* stream_;
  std::unique_ptr<char[]> buffer_;  // raw bytes read from the stream, kReadChunk of them
  std::size_t position_ = 0;        // next unread byte of buffer_
  std::size_t filled_ = 0;          // bytes of buffer_ that hold data
  bool at_end_ = false;
  bool failed_ = false;
  int errno_value_ = 0;
  std::string piece_;
};

}  // namespace corvane::chart
