// The answers of a Prometheus server's HTTP API (/api/v1/query, /api/v1/query_range) read into
// series of (time, value) samples. The JSON is read by simdjson's On-Demand parser straight
// into these series, never into a document tree; what the reader does not need ("warnings",
// unknown fields) is skipped with only its nesting checked. Reading stops as soon as the
// answer holds more series or samples than the limits allow, so a hostile answer costs at most
// the limits' worth of series and the parser's index of the answer (about six bytes per byte).
// Value types and pure functions, any thread; an AnswerParser is owned by one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::remote {

struct ServerSample {
  double time = 0;   // seconds since the epoch, as the server stamped the sample
  double value = 0;  // NaN and infinities as the server gives them
};

struct ServerSeries {
  // Every label, "__name__" (the metric) included, in the answer's order.
  std::vector<std::pair<std::string, std::string>> labels;
  std::vector<ServerSample> samples;  // one for an instant query, in time order for a range

  // The value of a label; empty when the series has none.
  std::string_view Label(std::string_view name) const;
};

struct AnswerLimits {
  std::size_t max_series = 200000;
  std::size_t max_samples = 2000000;  // over all series
};

struct ServerAnswer {
  bool success = false;     // "status":"success"
  std::string error_type;   // of "status":"error"
  std::string error;        // of "status":"error"
  std::string result_type;  // "vector", "matrix", "scalar" or "string"
  std::vector<ServerSeries> series;
};

// Bytes past its end an answer's buffer must hold for AnswerParser to read it where it is
// (their contents do not matter); a shorter buffer is copied first.
inline constexpr std::size_t kAnswerPadding = 64;

// Reads answers of at most `max_bytes` with one parser whose buffers serve every answer, so
// a collector's sample allocates next to nothing; buffers grown by a large answer are let go.
class AnswerParser {
 public:
  explicit AnswerParser(std::size_t max_bytes);
  ~AnswerParser();
  AnswerParser(const AnswerParser&) = delete;
  AnswerParser& operator=(const AnswerParser&) = delete;

  // As ParseServerAnswer; `text` may be read up to `readable` bytes from its start
  // (text.size() + kAnswerPadding or more saves a copy).
  bool Parse(std::string_view text, std::size_t readable, const AnswerLimits& limits,
             ServerAnswer* answer, std::string* reason);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Reads one answer into *answer, whose series' storage is reused (a collector passes the same
// answer every time, so a sample allocates next to nothing). False when it is no answer of the API,
// with *reason saying what is wrong
// ("not JSON: ...", "more than 200000 series", "a sample's value is not a text"). An answer
// "status":"error" reads successfully, with its errorType and error; ErrorOf then describes it.
bool ParseServerAnswer(std::string_view text, const AnswerLimits& limits, ServerAnswer* answer,
                       std::string* reason);

// "the server answered an error: bad_data: 1:3: parse error: unexpected ..." for an answer
// with "status":"error"; empty for a successful one.
std::string ErrorOf(const ServerAnswer& answer);

}  // namespace corvane::remote
