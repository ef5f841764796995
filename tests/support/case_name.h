// Readable, stable names for the cases of parametrized tests, so that `ctest -R` and
// `--rerun-failed` find a case again in every build. GoogleTest accepts only letters, digits
// and '_' in a case name, and each name must be unique within its list.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::test_support {

// Free text as a name part: letters and digits kept, every other run of characters one '_',
// none at either end; at most 60 characters; "Empty" for text without a letter or digit.
inline std::string CaseName(std::string_view text) {
  constexpr std::size_t kMaxLength = 60;
  std::string name;
  bool gap = false;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
      if (gap && !name.empty()) name += '_';
      name += c;
      gap = false;
    } else {
      gap = true;
    }
    if (name.size() >= kMaxLength) break;
  }
  return name.empty() ? "Empty" : name;
}

// For lists whose inputs read alike once their punctuation is gone (raw page lines, paths that
// differ by a bracket): the case's position in the list first, then the text.
template <typename Param>
std::string NumberedCaseName(const ::testing::TestParamInfo<Param>& info, std::string_view text) {
  std::string number = std::to_string(info.index);
  if (number.size() < 2) number.insert(0, "0");
  return number + "_" + CaseName(text);
}

}  // namespace corvane::test_support
