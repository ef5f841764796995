// The outcome of parsing one kernel file: success, or the line and the field that did not
// parse. Value type; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::local {

struct ParseResult {
  std::size_t line = 0;   // 1-based line of the failure; 0 on success
  std::string_view what;  // static text naming the field ("cpu line: user ticks"); empty on success

  bool ok() const { return what.empty(); }

  static ParseResult Ok() { return {}; }
  static ParseResult Fail(std::size_t line, std::string_view what) { return {line, what}; }

  // "line 3: cpu line: user ticks".
  std::string Describe() const {
    if (ok()) return "parsed";
    return "line " + std::to_string(line) + ": " + std::string(what);
  }
};

}  // namespace corvane::local
