#include "platform/remote/prometheus_parser.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <system_error>

// Grammar (Prometheus "Exposition formats", text format 0.0.4):
//   line    = [blanks] ( "#" comment | sample | "" ) [ "\r" ] "\n"
//   sample  = name [blanks] [ "{" [ label { "," label } [ "," ] ] "}" ] blanks value
//             [ blanks timestamp ] [blanks]
//   label   = [blanks] lname [blanks] "=" [blanks] '"' escaped text '"' [blanks]
// Only "# HELP name text" and "# TYPE name type" comments have a meaning. Label values escape
// backslash, double quote and line feed; HELP texts escape backslash and line feed, but a HELP
// line is never unescaped here because nothing reads it.

namespace corvane::remote {
namespace {

enum : unsigned char {
  kNameStart = 1,   // [a-zA-Z_:]
  kNameChar = 2,    // [a-zA-Z0-9_:]
  kLabelStart = 4,  // [a-zA-Z_]
  kLabelChar = 8,   // [a-zA-Z0-9_]
  kBlank = 16,      // space, tab
};

constexpr std::array<unsigned char, 256> MakeClasses() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    unsigned char bits = 0;
    if (alpha || c == '_' || c == ':') bits |= kNameStart;
    if (alpha || digit || c == '_' || c == ':') bits |= kNameChar;
    if (alpha || c == '_') bits |= kLabelStart;
    if (alpha || digit || c == '_') bits |= kLabelChar;
    if (c == ' ' || c == '\t') bits |= kBlank;
    table[static_cast<std::size_t>(c)] = bits;
  }
  return table;
}

constexpr std::array<unsigned char, 256> kClasses = MakeClasses();

inline bool Is(char c, unsigned char bits) {
  return (kClasses[static_cast<unsigned char>(c)] & bits) != 0;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// The high bit of every zero byte of v; the lowest one marks the first zero byte exactly.
inline std::uint64_t ZeroBytes(std::uint64_t v) { return (v - kOnes) & ~v & kHighs; }

// True when every character of [begin, end) is of the class. Branch-free, so the end of a
// name costs no mispredicted jump.
inline bool AllOf(const char* begin, const char* end, unsigned char bits) {
  unsigned char all = bits;
  for (; begin < end; ++begin) all &= kClasses[static_cast<unsigned char>(*begin)];
  return (all & bits) != 0;
}

// The first character of [p, end) that is a or b, or end. Whole 8-byte words are read while
// they lie inside the page (limit), so the scan never reads past it.
template <char A, char B>
inline const char* FindEither(const char* p, const char* end, const char* limit) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t a = kOnes * static_cast<unsigned char>(A);
    constexpr std::uint64_t b = kOnes * static_cast<unsigned char>(B);
    while (p < end && limit - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      const std::uint64_t hits = ZeroBytes(word ^ a) | ZeroBytes(word ^ b);
      if (hits != 0) {
        const char* at = p + (std::countr_zero(hits) >> 3);
        return at < end ? at : end;
      }
      p += 8;
    }
    if (p > end) return end;
  }
  while (p < end && *p != A && *p != B) ++p;
  return p;
}

inline void SkipBlanks(const char*& p, const char* end) {
  while (p < end && Is(*p, kBlank)) ++p;
}

inline std::string_view Token(const char*& p, const char* end, const char* limit) {
  const char* begin = p;
  p = FindEither<' ', '\t'>(p, end, limit);
  return {begin, static_cast<std::size_t>(p - begin)};
}

inline std::string_view MetricName(const char*& p, const char* end) {
  const char* begin = p;
  if (p == end || !Is(*p, kNameStart)) return {};
  ++p;
  while (p < end && Is(*p, kNameChar)) ++p;
  return {begin, static_cast<std::size_t>(p - begin)};
}

bool TypeFromWord(std::string_view word, MetricType* type) {
  if (word == "counter")
    *type = MetricType::kCounter;
  else if (word == "gauge")
    *type = MetricType::kGauge;
  else if (word == "summary")
    *type = MetricType::kSummary;
  else if (word == "histogram")
    *type = MetricType::kHistogram;
  else if (word == "untyped")
    *type = MetricType::kUntyped;
  else
    return false;
  return true;
}

}  // namespace

bool ParseSampleValue(std::string_view text, double* value) {
  if (text.empty()) return false;
  // Most exporter values are small integers ("0", "507"); up to 15 digits they are exact in a
  // double and need no general float parsing.
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (text.size() > i && text.size() - i <= 15) {
    std::uint64_t n = 0;
    std::size_t j = i;
    for (; j < text.size(); ++j) {
      const unsigned digit = static_cast<unsigned char>(text[j]) - '0';
      if (digit > 9) break;
      n = n * 10 + digit;
    }
    if (j == text.size()) {
      *value = i != 0 ? -static_cast<double>(n) : static_cast<double>(n);
      return true;
    }
  }
  const char* begin = text.data();
  const char* end = begin + text.size();
  // Go's ParseFloat takes a leading "+" ("+Inf"); from_chars does not.
  if (*begin == '+') {
    ++begin;
    if (begin == end || *begin == '+' || *begin == '-') return false;
  }
  // from_chars would also take "nan(...)", which no exporter writes and Go refuses.
  if (std::memchr(begin, '(', static_cast<std::size_t>(end - begin)) != nullptr) return false;
  const auto [stop, error] = std::from_chars(begin, end, *value);
  return error == std::errc() && stop == end;
}

ExpositionParser::Result ExpositionParser::Fail(std::string_view reason) {
  failed_ = true;
  error_ = ParseError{line_, reason};
  return Result::kError;
}

ExpositionParser::Result ExpositionParser::Next(Sample* sample) {
  const char* const page_end = page_.data() + page_.size();
  while (!failed_) {
    if (pos_ >= page_.size()) return Result::kEnd;
    const char* p = page_.data() + pos_;
    ++line_;
    const auto* newline =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(page_end - p)));
    // Every line ends with a line feed, the last one too: a page that stops inside a line was
    // cut off in transfer, and its last number may be cut as well.
    if (newline == nullptr) return Fail("the page ends inside a line");
    pos_ = static_cast<std::size_t>(newline - page_.data()) + 1;
    const char* line_end = newline;
    if (line_end > p && line_end[-1] == '\r') --line_end;

    SkipBlanks(p, line_end);
    if (p == line_end) continue;
    if (*p != '#') return ParseSample(p, line_end, sample);
    // HELP and TYPE lines are half of a page. Their usual spelling is taken at once: nothing
    // reads a HELP text, so only the start of its metric name is checked.
    if (line_end - p > 7 && std::memcmp(p, "# HELP ", 7) == 0 && Is(p[7], kNameStart)) continue;
    if (line_end - p > 7 && std::memcmp(p, "# TYPE ", 7) == 0) {
      const char* name = p + 7;
      const char* name_end = FindEither<' ', ' '>(name, line_end, page_end);
      MetricType type;
      if (name_end < line_end && Is(*name, kNameStart) && AllOf(name, name_end, kNameChar) &&
          TypeFromWord(
              std::string_view(name_end + 1, static_cast<std::size_t>(line_end - name_end - 1)),
              &type)) {
        type_name_ = std::string_view(name, static_cast<std::size_t>(name_end - name));
        type_ = type;
        continue;
      }
    }
    if (!ParseComment(p + 1, line_end)) return Result::kError;
  }
  return Result::kError;
}

bool ExpositionParser::ParseComment(const char* p, const char* end) {
  const char* const page_end = page_.data() + page_.size();
  SkipBlanks(p, end);
  const std::string_view keyword = Token(p, end, page_end);
  if (keyword == "HELP") {
    SkipBlanks(p, end);
    if (p == end || !Is(*p, kNameStart)) {
      Fail("HELP line without a metric name");
      return false;
    }
    return true;
  }
  if (keyword != "TYPE") return true;  // a plain comment
  SkipBlanks(p, end);
  const std::string_view name = MetricName(p, end);
  if (name.empty() || (p < end && !Is(*p, kBlank))) {
    Fail("TYPE line without a valid metric name");
    return false;
  }
  SkipBlanks(p, end);
  MetricType type;
  if (!TypeFromWord(Token(p, end, page_end), &type)) {
    Fail("unknown metric type in a TYPE line");
    return false;
  }
  SkipBlanks(p, end);
  if (p != end) {
    Fail("unexpected text after the metric type");
    return false;
  }
  type_name_ = name;
  type_ = type;
  return true;
}

bool ExpositionParser::ParseLabelValue(const char*& p, const char* end, std::string_view* value,
                                       std::size_t* unescape_used) {
  const char* begin = p;
  p = FindEither<'"', '\\'>(p, end, page_.data() + page_.size());
  if (p == end) {
    Fail("a label value is not closed on its line");
    return false;
  }
  if (*p == '"') {
    *value = {begin, static_cast<std::size_t>(p - begin)};
    ++p;
    return true;
  }
  // The value has escapes: unescape it, with the part already scanned, into the buffer.
  char* const out_begin = unescaped_.data() + *unescape_used;
  char* const out_end = unescaped_.data() + unescaped_.size();
  char* out = out_begin;
  const auto prefix = static_cast<std::size_t>(p - begin);
  if (prefix > static_cast<std::size_t>(out_end - out)) {
    Fail("an escaped label value is too long");
    return false;
  }
  std::memcpy(out, begin, prefix);
  out += prefix;
  while (true) {
    if (p == end) {
      Fail("a label value is not closed on its line");
      return false;
    }
    char c = *p;
    if (c == '"') break;
    if (c == '\\') {
      if (p + 1 == end) {
        Fail("a label value is not closed on its line");
        return false;
      }
      switch (p[1]) {
        case '\\':
          c = '\\';
          break;
        case '"':
          c = '"';
          break;
        case 'n':
          c = '\n';
          break;
        default:
          Fail("unknown escape sequence in a label value");
          return false;
      }
      p += 2;
    } else {
      ++p;
    }
    if (out == out_end) {
      Fail("an escaped label value is too long");
      return false;
    }
    *out++ = c;
  }
  ++p;  // the closing quote
  *value = {out_begin, static_cast<std::size_t>(out - out_begin)};
  *unescape_used += static_cast<std::size_t>(out - out_begin);
  return true;
}

ExpositionParser::Result ExpositionParser::ParseSample(const char* p, const char* end,
                                                       Sample* sample) {
  const char* const page_end = page_.data() + page_.size();
  std::string_view name;
  const std::size_t family = type_name_.size();
  if (family != 0 && static_cast<std::size_t>(end - p) >= family &&
      std::memcmp(p, type_name_.data(), family) == 0) {
    // The sample belongs to the family of the last TYPE line, whose name is already checked.
    const char* begin = p;
    p += family;
    while (p < end && Is(*p, kNameChar)) ++p;
    name = {begin, static_cast<std::size_t>(p - begin)};
  } else {
    name = MetricName(p, end);
    if (name.empty()) return Fail("a metric name must start with a letter, '_' or ':'");
  }
  if (p < end && !Is(*p, kBlank) && *p != '{') return Fail("invalid character in a metric name");
  SkipBlanks(p, end);

  std::size_t label_count = 0;
  std::size_t unescape_used = 0;
  if (p < end && *p == '{') {
    ++p;
    while (true) {
      SkipBlanks(p, end);
      if (p == end) return Fail("a label set is not closed on its line");
      if (*p == '}') {
        ++p;
        break;
      }
      if (label_count == kMaxLabels) return Fail("a sample has more than 32 labels");
      const char* label_begin = p;
      const char* equals = FindEither<'=', '='>(p, end, page_end);
      const char* label_end = equals;
      while (label_end > label_begin && Is(label_end[-1], kBlank)) --label_end;
      if (!Is(*label_begin, kLabelStart) || !AllOf(label_begin, label_end, kLabelChar))
        return Fail("a label name must be letters, digits and '_', not starting with a digit");
      if (equals == end) return Fail("expected '=' after a label name");
      p = equals + 1;
      SkipBlanks(p, end);
      if (p == end || *p != '"') return Fail("a label value must be in double quotes");
      ++p;
      std::string_view label_value;
      if (!ParseLabelValue(p, end, &label_value, &unescape_used)) return Result::kError;
      labels_[label_count++] =
          Label{std::string_view(label_begin, static_cast<std::size_t>(label_end - label_begin)),
                label_value};
      SkipBlanks(p, end);
      if (p < end && *p == ',') {
        ++p;
        continue;
      }
      if (p < end && *p == '}') {
        ++p;
        break;
      }
      return Fail("expected ',' or '}' after a label value");
    }
    SkipBlanks(p, end);
  }

  const std::string_view value_text = Token(p, end, page_end);
  if (value_text.empty()) return Fail("a sample has no value");
  double value;
  if (!ParseSampleValue(value_text, &value)) return Fail("a sample value is not a number");

  SkipBlanks(p, end);
  sample->has_timestamp = false;
  sample->timestamp_ms = 0;
  if (p < end) {
    const std::string_view stamp = Token(p, end, page_end);
    std::int64_t ms = 0;
    const auto [stop, error] = std::from_chars(stamp.data(), stamp.data() + stamp.size(), ms);
    if (error != std::errc() || stop != stamp.data() + stamp.size())
      return Fail("a timestamp is not a whole number of milliseconds");
    SkipBlanks(p, end);
    if (p != end) return Fail("unexpected text after the timestamp");
    sample->has_timestamp = true;
    sample->timestamp_ms = ms;
  }

  sample->name = name;
  sample->labels = std::span<const Label>(labels_.data(), label_count);
  sample->value = value;
  sample->type = MetricType::kUntyped;
  if (family != 0 && name.substr(0, family) == type_name_) {
    const std::string_view suffix = name.substr(family);
    if (suffix.empty()) {
      sample->type = type_;
    } else if ((type_ == MetricType::kSummary || type_ == MetricType::kHistogram) &&
               (suffix == "_sum" || suffix == "_count" ||
                (type_ == MetricType::kHistogram && suffix == "_bucket"))) {
      sample->type = type_;
    }
  }
  return Result::kSample;
}

}  // namespace corvane::remote
