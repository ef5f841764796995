// UTF-8 decoding and the cut points that keep characters whole.
#include "chart/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "chart/dejavu_sans_metrics.h"

namespace corvane::chart {
namespace {

std::vector<char32_t> DecodeAll(std::string_view text) {
  std::vector<char32_t> codes;
  std::size_t pos = 0;
  while (pos < text.size()) codes.push_back(utf8::Decode(text, &pos));
  return codes;
}

TEST(Utf8, DecodesWellFormedAndReplacesMalformedBytesOneByOne) {
  constexpr char32_t R = utf8::kReplacement;
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<char32_t> codes;
  };
  const Case cases[] = {
      {"ascii", "a/", {U'a', U'/'}},
      {"two bytes", "\xC3\xA9", {0xE9}},
      {"three bytes", "\xE2\x82\xAC", {0x20AC}},
      {"four bytes", "\xF0\x9F\x98\x80", {0x1F600}},
      {"stray continuation",
       "\x80"
       "a",
       {R, U'a'}},
      {"overlong slash", "\xC0\xAF", {R, R}},
      {"overlong three bytes", "\xE0\x80\xAF", {R, R, R}},
      {"surrogate", "\xED\xA0\x80", {R, R, R}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
      {"cut short at the end", "a\xE2\x82", {U'a', R, R}},
      {"interrupted by ascii",
       "\xE2"
       "ab",
       {R, U'a', U'b'}},
      {"latin-1 byte", "caf\xE9", {U'c', U'a', U'f', R}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeAll(c.bytes), c.codes) << c.what;
}

TEST(Utf8, CutsNeverSplitACharacter) {
  const std::string text =
      "a\xC3\xA9"
      "b\xE2\x82\xAC";  // a é b €: bytes 1, 2, 1, 3
  struct Case {
    std::size_t bytes;
    std::string head;
    std::string tail;
  };
  const Case cases[] = {
      {0, "", ""},
      {1, "a", ""},
      {2, "a", ""},
      {3, "a\xC3\xA9", "\xE2\x82\xAC"},
      {4,
       "a\xC3\xA9"
       "b",
       "b\xE2\x82\xAC"},
      {5,
       "a\xC3\xA9"
       "b",
       "b\xE2\x82\xAC"},
      {6,
       "a\xC3\xA9"
       "b",
       "\xC3\xA9"
       "b\xE2\x82\xAC"},
      {7, text, text},
      {100, text, text},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8::HeadWithin(text, c.bytes), c.head) << c.bytes;
    EXPECT_EQ(utf8::TailWithin(text, c.bytes), c.tail) << c.bytes;
  }
}

TEST(DejaVuSansMetrics, MeasuresWithTheFontsAdvancesAtThePixelSize) {
  struct Case {
    std::string text;
    int pixel_size;
    int width;  // pixels
  };
  const Case cases[] = {
      {"", 12, 0},       {"  ", 12, 8},             // two spaces of 651 units: 7.63 px
      {"00000", 12, 38},                            // digits share one advance, 1303 units
      {"W", 12, 12},                                // 2025 units
      {"iiiii", 12, 17},                            // 569 units each
      {"0", 24, 15},     {"\xE4\xB8\xAD", 12, 12},  // outside the table: measured as U+FFFD
      {"\xFF", 12, 12},                             // malformed: U+FFFD
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dejavu_sans::TextWidth(c.text, c.pixel_size), c.width) << c.text;
  }
  EXPECT_EQ(dejavu_sans::LineHeight(12), 14);  // (1901 + 483) / 2048 em
  EXPECT_EQ(dejavu_sans::Ascent(12), 11);
  EXPECT_EQ(dejavu_sans::LineHeight(24), 28);
}

}  // namespace
}  // namespace corvane::chart
