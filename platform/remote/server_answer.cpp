#include "platform/remote/server_answer.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>

namespace corvane::remote {
namespace {

using json = nlohmann::json;

// Where in the answer the event parser is: one frame per open object or array.
enum class Frame : std::uint8_t {
  kRoot,    // the answer's object
  kData,    // "data"
  kResult,  // "data"."result"
  kSeries,  // one element of the result
  kMetric,  // its "metric"
  kValue,   // its "value": [time, "value"]
  kValues,  // its "values": [[time, "value"], ...]
  kPoint,   // one element of "values"
  kSkip,    // anything the reader does not need
};

// The text of a sample value: a decimal number, "NaN", "+Inf" or "-Inf".
bool ParseSampleValue(std::string_view text, double* value) {
  if (text == "NaN") {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (text == "+Inf" || text == "Inf") {
    *value = std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == "-Inf") {
    *value = -std::numeric_limits<double>::infinity();
    return true;
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && stop == end;
}

class AnswerReader {
 public:
  using number_integer_t = json::number_integer_t;
  using number_unsigned_t = json::number_unsigned_t;
  using number_float_t = json::number_float_t;
  using string_t = json::string_t;
  using binary_t = json::binary_t;

  AnswerReader(const AnswerLimits& limits, ServerAnswer* answer)
      : limits_(limits), answer_(answer) {}

  const std::string& reason() const { return reason_; }
  bool saw_status() const { return saw_status_; }

  bool null() { return Scalar(Kind::kNull, 0, nullptr); }
  bool boolean(bool) { return Scalar(Kind::kOther, 0, nullptr); }
  bool number_integer(number_integer_t value) {
    return Scalar(Kind::kNumber, static_cast<double>(value), nullptr);
  }
  bool number_unsigned(number_unsigned_t value) {
    return Scalar(Kind::kNumber, static_cast<double>(value), nullptr);
  }
  bool number_float(number_float_t value, const string_t&) {
    return Scalar(Kind::kNumber, value, nullptr);
  }
  bool string(string_t& value) { return Scalar(Kind::kString, 0, &value); }
  bool binary(binary_t&) { return Scalar(Kind::kOther, 0, nullptr); }

  bool start_object(std::size_t) {
    if (frames_.empty()) return Push(Frame::kRoot);
    switch (Top()) {
      case Frame::kRoot:
        if (key_ == "data") return Push(Frame::kData);
        return Push(Frame::kSkip);
      case Frame::kData:
        if (key_ == "result") return Fail("\"data\".\"result\" is not a list");
        return Push(Frame::kSkip);
      case Frame::kResult:
        if (series_used_ >= limits_.max_series)
          return Fail("more than " + std::to_string(limits_.max_series) + " series");
        // The series of an earlier answer are written over, their storage kept.
        if (series_used_ < answer_->series.size()) {
          answer_->series[series_used_].samples.clear();
        } else {
          answer_->series.emplace_back();
        }
        ++series_used_;
        labels_used_ = 0;
        return Push(Frame::kSeries);
      case Frame::kSeries:
        if (key_ == "metric") return Push(Frame::kMetric);
        if (key_ == "value" || key_ == "values")
          return Fail("a series' \"" + key_ + "\" is not a list");
        return Push(Frame::kSkip);
      case Frame::kMetric:
        return Fail("a label's value is not a text");
      case Frame::kValue:
      case Frame::kValues:
      case Frame::kPoint:
        return Fail("a sample is not a pair of a time and a value");
      case Frame::kSkip:
        return Push(Frame::kSkip);
    }
    return Push(Frame::kSkip);
  }

  bool end_object() {
    if (Top() == Frame::kSeries) Current().labels.resize(labels_used_);
    return Pop();
  }

  // The series read, those of an earlier answer beyond them dropped.
  void Finish() { answer_->series.resize(series_used_); }

  bool start_array(std::size_t) {
    if (frames_.empty()) return Fail("the answer is not an object");
    switch (Top()) {
      case Frame::kData:
        if (key_ == "result") {
          saw_result_ = true;
          return Push(Frame::kResult);
        }
        return Push(Frame::kSkip);
      case Frame::kSeries:
        if (key_ == "value") return StartPoint(Frame::kValue);
        if (key_ == "values") return Push(Frame::kValues);
        if (key_ == "metric") return Fail("a series' \"metric\" is not an object");
        return Push(Frame::kSkip);
      case Frame::kValues:
        return StartPoint(Frame::kPoint);
      case Frame::kResult:
        return Fail("a result is not a series");
      case Frame::kMetric:
        return Fail("a label's value is not a text");
      case Frame::kValue:
      case Frame::kPoint:
        return Fail("a sample is not a pair of a time and a value");
      case Frame::kRoot:
      case Frame::kSkip:
        return Push(Frame::kSkip);
    }
    return Push(Frame::kSkip);
  }

  bool end_array() {
    const Frame top = Top();
    if ((top == Frame::kValue || top == Frame::kPoint) && point_fields_ != 2)
      return Fail("a sample is not a pair of a time and a value");
    return Pop();
  }

  bool key(string_t& name) {
    // Copied, not moved: the lexer keeps its buffer, and a reused label its own.
    if (Top() == Frame::kMetric) {
      auto& labels = Current().labels;
      if (labels_used_ < labels.size()) {
        labels[labels_used_].first.assign(name);
        labels[labels_used_].second.clear();
      } else {
        labels.emplace_back(name, std::string());
      }
      ++labels_used_;
      return true;
    }
    key_.assign(name);
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
    if (reason_.empty()) reason_ = "not JSON (at byte " + std::to_string(position) + ")";
    return false;
  }

 private:
  enum class Kind : std::uint8_t { kNull, kNumber, kString, kOther };

  Frame Top() const { return frames_.empty() ? Frame::kSkip : frames_.back(); }
  ServerSeries& Current() { return answer_->series[series_used_ - 1]; }

  bool Push(Frame frame) {
    frames_.push_back(frame);
    return true;
  }

  bool Pop() {
    if (!frames_.empty()) frames_.pop_back();
    return true;
  }

  bool Fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
  }

  bool StartPoint(Frame frame) {
    if (samples_ >= limits_.max_samples)
      return Fail("more than " + std::to_string(limits_.max_samples) + " samples");
    ++samples_;
    Current().samples.emplace_back();
    point_fields_ = 0;
    return Push(frame);
  }

  bool Scalar(Kind kind, double number, std::string* text) {
    switch (Top()) {
      case Frame::kRoot:
        if (key_ == "status") {
          if (kind != Kind::kString) return Fail("\"status\" is not a text");
          saw_status_ = true;
          answer_->success = *text == "success";
          if (!answer_->success && *text != "error")
            return Fail("unknown \"status\": " + text->substr(0, 64));
        } else if (key_ == "errorType" && kind == Kind::kString) {
          answer_->error_type = text->substr(0, 256);
        } else if (key_ == "error" && kind == Kind::kString) {
          answer_->error = text->substr(0, 1024);
        } else if (key_ == "data" && kind != Kind::kNull) {
          return Fail("\"data\" is not an object");
        }
        return true;
      case Frame::kData:
        if (key_ == "resultType") {
          if (kind != Kind::kString) return Fail("\"resultType\" is not a text");
          answer_->result_type = text->substr(0, 64);
        } else if (key_ == "result" && kind != Kind::kNull) {
          return Fail("\"data\".\"result\" is not a list");
        }
        return true;
      case Frame::kResult:
        return Fail("a result is not a series");
      case Frame::kSeries:
        if (key_ == "metric" || key_ == "value" || key_ == "values")
          return Fail("a series' \"" + key_ + "\" has the wrong type");
        return true;
      case Frame::kMetric: {
        if (kind != Kind::kString) return Fail("a label's value is not a text");
        Current().labels[labels_used_ - 1].second.assign(*text);
        return true;
      }
      case Frame::kValue:
      case Frame::kPoint:
        return PointField(kind, number, text);
      case Frame::kValues:
        return Fail("a sample is not a pair of a time and a value");
      case Frame::kSkip:
        return true;
    }
    return true;
  }

  bool PointField(Kind kind, double number, std::string* text) {
    ServerSample& sample = Current().samples.back();
    if (point_fields_ == 0) {
      if (kind != Kind::kNumber || !std::isfinite(number))
        return Fail("a sample's time is not a number");
      sample.time = number;
    } else if (point_fields_ == 1) {
      if (kind != Kind::kString) return Fail("a sample's value is not a text");
      if (!ParseSampleValue(*text, &sample.value))
        return Fail("a sample's value is not a number: " + text->substr(0, 32));
    } else {
      return Fail("a sample is not a pair of a time and a value");
    }
    ++point_fields_;
    return true;
  }

  const AnswerLimits& limits_;
  ServerAnswer* answer_;
  std::vector<Frame> frames_;
  std::string key_;
  std::string reason_;
  std::size_t samples_ = 0;
  std::size_t series_used_ = 0;  // series of this answer so far
  std::size_t labels_used_ = 0;  // labels of the current series so far
  int point_fields_ = 0;
  bool saw_status_ = false;
  bool saw_result_ = false;

 public:
  bool saw_result() const { return saw_result_; }
};

}  // namespace

std::string_view ServerSeries::Label(std::string_view name) const {
  for (const auto& [label, value] : labels) {
    if (label == name) return value;
  }
  return {};
}

bool ParseServerAnswer(std::string_view text, const AnswerLimits& limits, ServerAnswer* answer,
                       std::string* reason) {
  answer->success = false;
  answer->error_type.clear();
  answer->error.clear();
  answer->result_type.clear();
  AnswerReader reader(limits, answer);
  const bool parsed = json::sax_parse(text.begin(), text.end(), &reader);
  reader.Finish();
  if (!parsed) {
    *reason = reader.reason().empty() ? "not JSON" : reader.reason();
    answer->series.clear();
    answer->series.shrink_to_fit();
    return false;
  }
  if (!reader.saw_status()) {
    *reason = "not an answer of the Prometheus API (no \"status\")";
    answer->series.clear();
    return false;
  }
  if (answer->success && !reader.saw_result()) {
    *reason = "not an answer of the Prometheus API (no \"data\".\"result\")";
    return false;
  }
  reason->clear();
  return true;
}

std::string ErrorOf(const ServerAnswer& answer) {
  if (answer.success) return {};
  std::string text = "the server answered an error";
  if (!answer.error_type.empty()) text += ": " + answer.error_type;
  if (!answer.error.empty()) text += ": " + answer.error;
  return text;
}

}  // namespace corvane::remote
