// A streaming reader of the Prometheus text exposition format, version 0.0.4: the page that
// node_exporter and windows_exporter serve at /metrics.
//
// The parser owns nothing but a small fixed buffer: names and label values are views into the
// page, except label values that carry escapes, which are unescaped into that buffer. A sample
// handed out by Next() stays valid until the following call. Nothing is allocated per sample.
// One parser belongs to one thread; the page must outlive it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace corvane::remote {

enum class MetricType : std::uint8_t { kUntyped, kCounter, kGauge, kSummary, kHistogram };

struct Label {
  std::string_view name;
  std::string_view value;  // unescaped
};

struct Sample {
  std::string_view name;
  std::span<const Label> labels;  // in page order
  double value = 0;               // NaN and infinities as the page gives them
  bool has_timestamp = false;
  std::int64_t timestamp_ms = 0;           // milliseconds since the epoch, when has_timestamp
  MetricType type = MetricType::kUntyped;  // from the family's TYPE line
};

struct ParseError {
  std::size_t line = 0;     // 1-based line of the page
  std::string_view reason;  // static English text
};

class ExpositionParser {
 public:
  static constexpr std::size_t kMaxLabels = 32;
  // Room for the unescaped label values of one sample (those without escapes take none).
  static constexpr std::size_t kUnescapeBytes = 4096;

  enum class Result { kSample, kEnd, kError };

  explicit ExpositionParser(std::string_view page) : page_(page) {}

  // The next sample, skipping comments, HELP and TYPE lines and empty lines. After kError
  // every later call gives kError again; error() tells the line and the reason.
  Result Next(Sample* sample);

  const ParseError& error() const { return error_; }

 private:
  Result Fail(std::string_view reason);
  bool ParseComment(const char* p, const char* line_end);
  Result ParseSample(const char* p, const char* line_end, Sample* sample);
  bool ParseLabelValue(const char*& p, const char* line_end, std::string_view* value,
                       std::size_t* unescape_used);

  std::string_view page_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
  bool failed_ = false;
  ParseError error_;
  std::string_view type_name_;  // the family of the last TYPE line
  MetricType type_ = MetricType::kUntyped;
  std::array<Label, kMaxLabels> labels_{};
  std::array<char, kUnescapeBytes> unescaped_{};
};

// Parses a sample value as the format writes it: a Go float ("1.5e+09", "-3", ".5"), "NaN",
// "+Inf", "-Inf" (any letter case). False when the text is anything else.
bool ParseSampleValue(std::string_view text, double* value);

}  // namespace corvane::remote
