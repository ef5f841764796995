#include "platform/remote/server_answer.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace corvane::remote {
namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;

static_assert(kAnswerPadding >= simdjson::SIMDJSON_PADDING);

// A parser that has read an answer larger than this lets its buffers go afterwards.
constexpr std::size_t kKeptBytes = 4u << 20;

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

bool IsContainer(od::json_type type) {
  return type == od::json_type::object || type == od::json_type::array;
}

// Walks one answer's document, writing its series over those of an earlier answer (their
// storage kept) and stopping at the first thing that is wrong, which *reason() then names.
class AnswerReader {
 public:
  AnswerReader(const AnswerLimits& limits, ServerAnswer* answer)
      : limits_(limits), answer_(answer) {}

  const std::string& reason() const { return reason_; }
  bool saw_status() const { return saw_status_; }
  bool saw_result() const { return saw_result_; }

  bool Read(od::document& document) {
    od::json_type type = od::json_type::null;
    if (const error_code error = document.type().get(type)) return Malformed(error);
    if (type != od::json_type::object) return Fail("the answer is not an object");
    od::object root;
    if (const error_code error = document.get_object().get(root)) return Malformed(error);
    for (auto entry : root) {
      if (const error_code error = entry.error()) return Malformed(error);
      od::field& field = entry.value_unsafe();
      std::string_view key;
      if (const error_code error = field.unescaped_key().get(key)) return Malformed(error);
      if (!RootField(key, field.value())) return false;
    }
    // Whatever follows the answer's object makes it no JSON.
    const char* rest = nullptr;
    if (document.current_location().get(rest) == simdjson::SUCCESS)
      return Fail("not JSON: text after the answer");
    return true;
  }

  // The series read, those of an earlier answer beyond them dropped.
  void Finish() { answer_->series.resize(series_used_); }

 private:
  bool Fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
  }

  bool Malformed(error_code error) {
    return Fail(std::string("not JSON: ") + simdjson::error_message(error));
  }

  // The value's type, or false with the reason.
  bool TypeOf(od::value& value, od::json_type* type) {
    if (const error_code error = value.type().get(*type)) return Malformed(error);
    return true;
  }

  // A text's first `limit` bytes, or false when the value is no text.
  bool Text(od::value& value, std::size_t limit, std::string* out) {
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS) return false;
    out->assign(text.substr(0, limit));
    return true;
  }

  bool RootField(std::string_view key, od::value value) {
    od::json_type type = od::json_type::null;
    if (!TypeOf(value, &type)) return false;
    if (key == "status") {
      std::string status;
      if (type != od::json_type::string || !Text(value, 64, &status))
        return Fail("\"status\" is not a text");
      saw_status_ = true;
      answer_->success = status == "success";
      if (!answer_->success && status != "error") return Fail("unknown \"status\": " + status);
    } else if (key == "errorType" && type == od::json_type::string) {
      if (!Text(value, 256, &answer_->error_type)) return Fail("\"errorType\" is not a text");
    } else if (key == "error" && type == od::json_type::string) {
      if (!Text(value, 1024, &answer_->error)) return Fail("\"error\" is not a text");
    } else if (key == "data") {
      if (type == od::json_type::object) return Data(value);
      if (type != od::json_type::null) return Fail("\"data\" is not an object");
    }
    return true;
  }

  bool Data(od::value value) {
    od::object data;
    if (const error_code error = value.get_object().get(data)) return Malformed(error);
    for (auto entry : data) {
      if (const error_code error = entry.error()) return Malformed(error);
      od::field& field = entry.value_unsafe();
      std::string_view key;
      if (const error_code error = field.unescaped_key().get(key)) return Malformed(error);
      od::json_type type = od::json_type::null;
      if (!TypeOf(field.value(), &type)) return false;
      if (key == "resultType") {
        if (type != od::json_type::string || !Text(field.value(), 64, &answer_->result_type))
          return Fail("\"resultType\" is not a text");
      } else if (key == "result") {
        if (type == od::json_type::array) {
          saw_result_ = true;
          if (!Result(field.value())) return false;
        } else if (type != od::json_type::null) {
          return Fail("\"data\".\"result\" is not a list");
        }
      }
    }
    return true;
  }

  bool Result(od::value value) {
    od::array result;
    if (const error_code error = value.get_array().get(result)) return Malformed(error);
    for (auto element : result) {
      od::value item;
      if (const error_code error = element.get(item)) return Malformed(error);
      od::json_type type = od::json_type::null;
      if (!TypeOf(item, &type)) return false;
      if (type != od::json_type::object) return Fail("a result is not a series");
      if (series_used_ >= limits_.max_series)
        return Fail("more than " + std::to_string(limits_.max_series) + " series");
      // The series of an earlier answer are written over, their storage kept.
      if (series_used_ < answer_->series.size()) {
        answer_->series[series_used_].samples.clear();
      } else {
        answer_->series.emplace_back();
      }
      ServerSeries& series = answer_->series[series_used_++];
      labels_used_ = 0;
      const bool read = Series(item, &series);
      series.labels.resize(labels_used_);
      if (!read) return false;
    }
    return true;
  }

  bool Series(od::value value, ServerSeries* series) {
    od::object object;
    if (const error_code error = value.get_object().get(object)) return Malformed(error);
    for (auto entry : object) {
      if (const error_code error = entry.error()) return Malformed(error);
      od::field& field = entry.value_unsafe();
      std::string_view key;
      if (const error_code error = field.unescaped_key().get(key)) return Malformed(error);
      const bool metric = key == "metric";
      const bool point = key == "value";
      const bool points = key == "values";
      if (!metric && !point && !points) continue;
      od::json_type type = od::json_type::null;
      if (!TypeOf(field.value(), &type)) return false;
      if (!IsContainer(type))
        return Fail("a series' \"" + std::string(key) + "\" has the wrong type");
      if (metric) {
        if (type != od::json_type::object) return Fail("a series' \"metric\" is not an object");
        if (!Labels(field.value(), series)) return false;
      } else if (type != od::json_type::array) {
        return Fail("a series' \"" + std::string(key) + "\" is not a list");
      } else if (point) {
        if (!Point(field.value(), series)) return false;
      } else if (!Points(field.value(), series)) {
        return false;
      }
    }
    return true;
  }

  bool Labels(od::value value, ServerSeries* series) {
    od::object metric;
    if (const error_code error = value.get_object().get(metric)) return Malformed(error);
    auto& labels = series->labels;
    for (auto entry : metric) {
      if (const error_code error = entry.error()) return Malformed(error);
      od::field& field = entry.value_unsafe();
      std::string_view name;
      if (const error_code error = field.unescaped_key().get(name)) return Malformed(error);
      if (labels_used_ < labels.size()) {
        labels[labels_used_].first.assign(name);
      } else {
        labels.emplace_back(std::string(name), std::string());
      }
      ++labels_used_;
      od::json_type type = od::json_type::null;
      if (!TypeOf(field.value(), &type)) return false;
      if (type != od::json_type::string ||
          !Text(field.value(), std::string::npos, &labels[labels_used_ - 1].second))
        return Fail("a label's value is not a text");
    }
    return true;
  }

  bool Points(od::value value, ServerSeries* series) {
    od::array points;
    if (const error_code error = value.get_array().get(points)) return Malformed(error);
    for (auto element : points) {
      od::value point;
      if (const error_code error = element.get(point)) return Malformed(error);
      od::json_type type = od::json_type::null;
      if (!TypeOf(point, &type)) return false;
      if (type != od::json_type::array) return Fail("a sample is not a pair of a time and a value");
      if (!Point(point, series)) return false;
    }
    return true;
  }

  // [time, "value"]
  bool Point(od::value value, ServerSeries* series) {
    if (samples_ >= limits_.max_samples)
      return Fail("more than " + std::to_string(limits_.max_samples) + " samples");
    ++samples_;
    ServerSample& sample = series->samples.emplace_back();
    od::array pair;
    if (const error_code error = value.get_array().get(pair)) return Malformed(error);
    int fields = 0;
    for (auto element : pair) {
      od::value field;
      if (const error_code error = element.get(field)) return Malformed(error);
      od::json_type type = od::json_type::null;
      if (!TypeOf(field, &type)) return false;
      if (IsContainer(type) || fields >= 2)
        return Fail("a sample is not a pair of a time and a value");
      if (fields == 0) {
        if (type != od::json_type::number || field.get_double().get(sample.time) ||
            !std::isfinite(sample.time))
          return Fail("a sample's time is not a number");
      } else {
        std::string_view text;
        if (type != od::json_type::string || field.get_string().get(text))
          return Fail("a sample's value is not a text");
        if (!ParseSampleValue(text, &sample.value))
          return Fail("a sample's value is not a number: " + std::string(text.substr(0, 32)));
      }
      ++fields;
    }
    if (fields != 2) return Fail("a sample is not a pair of a time and a value");
    return true;
  }

  const AnswerLimits& limits_;
  ServerAnswer* answer_;
  std::string reason_;
  std::size_t samples_ = 0;
  std::size_t series_used_ = 0;  // series of this answer so far
  std::size_t labels_used_ = 0;  // labels of the current series so far
  bool saw_status_ = false;
  bool saw_result_ = false;
};

}  // namespace

struct AnswerParser::State {
  explicit State(std::size_t max_bytes) : max_bytes(max_bytes), parser(max_bytes) {}

  std::size_t max_bytes;
  od::parser parser;
  std::unique_ptr<char[]> copy;  // an answer without room for the padding, padded
  std::size_t copy_size = 0;
};

AnswerParser::AnswerParser(std::size_t max_bytes) : state_(std::make_unique<State>(max_bytes)) {}

AnswerParser::~AnswerParser() = default;

bool AnswerParser::Parse(std::string_view text, std::size_t readable, const AnswerLimits& limits,
                         ServerAnswer* answer, std::string* reason) {
  answer->success = false;
  answer->error_type.clear();
  answer->error.clear();
  answer->result_type.clear();
  if (text.size() > state_->max_bytes) {
    *reason = "answer larger than " + std::to_string(state_->max_bytes) + " bytes";
    answer->series.clear();
    return false;
  }
  const char* data = text.data();
  if (readable < text.size() + simdjson::SIMDJSON_PADDING) {
    const std::size_t needed = text.size() + simdjson::SIMDJSON_PADDING;
    if (state_->copy_size < needed) {
      state_->copy = std::make_unique<char[]>(needed);
      state_->copy_size = needed;
    }
    if (!text.empty()) std::memcpy(state_->copy.get(), text.data(), text.size());
    data = state_->copy.get();
    readable = needed;
  }
  AnswerReader reader(limits, answer);
  bool parsed = false;
  {
    od::document document;
    const error_code error = state_->parser.iterate(data, text.size(), readable).get(document);
    if (error) {
      *reason = std::string("not JSON: ") + simdjson::error_message(error);
    } else {
      parsed = reader.Read(document);
      if (!parsed) *reason = reader.reason();
    }
  }
  reader.Finish();
  if (text.size() > kKeptBytes) {
    state_->parser = od::parser(state_->max_bytes);
    state_->copy.reset();
    state_->copy_size = 0;
  }
  if (!parsed) {
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

std::string_view ServerSeries::Label(std::string_view name) const {
  for (const auto& [label, value] : labels) {
    if (label == name) return value;
  }
  return {};
}

bool ParseServerAnswer(std::string_view text, const AnswerLimits& limits, ServerAnswer* answer,
                       std::string* reason) {
  AnswerParser parser(text.size());
  return parser.Parse(text, text.size(), limits, answer, reason);
}

std::string ErrorOf(const ServerAnswer& answer) {
  if (answer.success) return {};
  std::string text = "the server answered an error";
  if (!answer.error_type.empty()) text += ": " + answer.error_type;
  if (!answer.error.empty()) text += ": " + answer.error;
  return text;
}

}  // namespace corvane::remote
