// The line writer that the chart's profile hooks write through. One implementation writes a
// profile file (CR LF line ends, the system's 8-bit text); tests may write into memory. Each
// call writes one whole line and returns false once writing has failed; an implementation
// keeps the reason (file and system error) for its caller. Used only by the thread that saves,
// while it holds the chart's lock.
#pragma once

#include <cstdint>
#include <string_view>

namespace corvane::chart {

class ProfileWriter {
 public:
  virtual ~ProfileWriter() = default;

  // "%s=%d": GridStep=20
  virtual bool WriteInteger(std::string_view key, std::int32_t value) = 0;
  // "%s=%s": Name=% CPU. The value is written as it is, even when empty.
  virtual bool WriteText(std::string_view key, std::string_view value) = 0;
  // "%s=%f": six decimals after a point whatever the locale, MaxValue=100.000000
  virtual bool WriteReal(std::string_view key, double value) = 0;
  // A bare line: a marker word (BeginAxis, EndAxis), a comment, or an empty line.
  virtual bool WriteLine(std::string_view text) = 0;
};

}  // namespace corvane::chart
